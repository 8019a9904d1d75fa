#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>

#include <gtest/gtest.h>

namespace {

// Qt's offscreen platform on Windows knows no font of the system: the fonts
// of the folder KESTRIX_TEST_FONTS names are then added.
void AddTestFonts() {
    const QDir folder(qEnvironmentVariable("KESTRIX_TEST_FONTS"));
    if (qEnvironmentVariableIsEmpty("KESTRIX_TEST_FONTS") || !folder.exists())
        return;
    for (const QString& name : folder.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(folder.filePath(name));
}

} // namespace

int main(int argc, char** argv) {
    // Before the application exists: the binding is tested without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AddTestFonts();
    // Sizes are measured in one font on every system: the one Linux's offscreen platform chooses.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
