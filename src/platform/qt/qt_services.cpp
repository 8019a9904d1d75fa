#include "platform/qt/qt_services.h"

#include "platform/qt/desktop.h"
#include "platform/qt/menus.h"
#include "platform/qt/text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>

#include <stdexcept>

namespace kestrix::platform::qt {

namespace {

constexpr const char* kApplicationTitle = "Kestrix";

// A question is answered with the ordinary pointer, even in the middle of a busy task.
class OrdinaryPointer {
  public:
    explicit OrdinaryPointer(bool busy) : busy_(busy) {
        if (busy_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    OrdinaryPointer(const OrdinaryPointer&) = delete;
    OrdinaryPointer& operator=(const OrdinaryPointer&) = delete;
    ~OrdinaryPointer() {
        if (busy_)
            QApplication::restoreOverrideCursor();
    }

  private:
    bool busy_;
};

QMessageBox::StandardButton StandardButton(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons StandardButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// Escape and the close box: Cancel where there is one, otherwise No, otherwise Ok.
Answer EscapeAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        return Answer::Cancel;
    }
    return Answer::Ok;
}

QMessageBox::Icon StandardIcon(Icon icon) {
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Answer AnswerOf(QMessageBox::StandardButton button, Buttons buttons) {
    for (const Answer answer : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No})
        if (StandardButton(answer) == button)
            return answer;
    return EscapeAnswer(buttons);
}

QString MessageText(std::string_view text) {
    QString shown = MixedText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::string ChooseFile(const FileDialog& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow(), MixedText(request.title),
                       PathText(request.initialFolder), DialogFilter(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QString suffix = Latin1(request.defaultExtension);
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmReplace);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return NativePathBytes(dialog.selectedFiles().constFirst());
}

} // namespace

QString DialogFilter(std::string_view filter) {
    const QStringList parts = Latin1(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file, also those without a dot in the name.
        for (QString& pattern : patterns)
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        entries.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QtServices::QtServices(std::string commandLine, std::string programFolder, std::string homeFolder,
                       std::string stateFolder, std::string settingsFile)
    : commandLine_(std::move(commandLine)), programFolder_(std::move(programFolder)),
      homeFolder_(std::move(homeFolder)), stateFolder_(std::move(stateFolder)),
      settingsFile_(std::move(settingsFile)) {}

QtServices::~QtServices() {
    while (busyDepth_ > 0)
        SetBusy(false);
}

Answer QtServices::ShowMessage(const MessageBox& request) {
    const QString title =
        request.title.empty() ? QString::fromLatin1(kApplicationTitle) : MixedText(request.title);
    QMessageBox box(StandardIcon(request.icon), title, MessageText(request.text),
                    StandardButtons(request.buttons), QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    // A question of its opener: a title and a close box, no minimise or maximise box.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    box.setDefaultButton(StandardButton(request.defaultButton));
    box.setEscapeButton(box.button(StandardButton(EscapeAnswer(request.buttons))));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes); yes && !request.yesCaption.empty())
        yes->setText(MixedText(request.yesCaption));
    if (QAbstractButton* no = box.button(QMessageBox::No); no && !request.noCaption.empty())
        no->setText(MixedText(request.noCaption));
    const OrdinaryPointer pointer(busyDepth_ > 0);
    box.exec();
    return AnswerOf(box.standardButton(box.clickedButton()), request.buttons);
}

std::string QtServices::ChooseOpenFile(const FileDialog& dialog) {
    const OrdinaryPointer pointer(busyDepth_ > 0);
    return ChooseFile(dialog, QFileDialog::AcceptOpen);
}

std::string QtServices::ChooseSaveFile(const FileDialog& dialog) {
    const OrdinaryPointer pointer(busyDepth_ > 0);
    return ChooseFile(dialog, QFileDialog::AcceptSave);
}

std::unique_ptr<WindowFrame> QtServices::CreateFrame(Window& window) {
    const auto layout = layouts_.find(typeid(window));
    if (layout == layouts_.end())
        throw std::logic_error("no layout is registered for " + window.Name());
    auto frame = std::make_unique<WindowFrame>(window);
    layout->second(window, *frame);
    frame->Finish();
    return frame;
}

void QtServices::ShowModal(Window& window) {
    const OrdinaryPointer pointer(busyDepth_ > 0);
    QWidget* opener = QApplication::activeWindow();
    std::unique_ptr<WindowFrame> frame = CreateFrame(window);
    frame->BelongTo(opener);
    frame->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    frame->Closed = [&loop] { loop.quit(); };
    frame->show();
    if (!window.IsClosed())
        loop.exec();
}

// Clear of the shown windows where there is room, or where it was left.
void QtServices::ShowBeside(std::shared_ptr<Window> window) {
    std::vector<const WindowFrame*> shown;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (const auto* frame = dynamic_cast<WindowFrame*>(top); frame && frame->isVisible())
            shown.push_back(frame);
    const bool remembered = window->Place().has_value();
    WindowFrame* frame = CreateFrame(*window).release();
    if (!remembered)
        frame->OpenClearOf(shown);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->Own(std::move(window));
    frame->show();
}

void QtServices::ShowPopupMenu(MenuEntry& entry) {
    const OrdinaryPointer pointer(busyDepth_ > 0);
    std::unique_ptr<QMenu> menu(CreateMenu(entry, nullptr));
    menu->exec(QCursor::pos());
}

void QtServices::OpenWithDesktop(const std::string& target) {
    OpenWithSystem(MixedText(target));
}

QSettings& QtServices::Settings() {
    if (!settings_)
        settings_ = settingsFile_.empty()
                        ? std::make_unique<QSettings>()
                        : std::make_unique<QSettings>(PathText(settingsFile_), QSettings::IniFormat);
    return *settings_;
}

std::string QtServices::ReadSetting(const std::string& key) {
    // Sees what another program wrote since (and saves what this one wrote).
    Settings().sync();
    return PathBytes(Settings().value(QString::fromStdString(key)).toString());
}

void QtServices::WriteSetting(const std::string& key, const std::string& value) {
    const QString name = QString::fromStdString(key);
    const QString text = PathText(value);
    // The settings file is saved safely, flushed to the disk: not for a value it already holds.
    if (Settings().contains(name) && Settings().value(name).toString() == text)
        return;
    Settings().setValue(name, text);
}

std::optional<std::string> QtServices::ClipboardText() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!Writable(text, false))
        return std::nullopt;
    return Latin1Bytes(text);
}

void QtServices::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(Latin1(text));
}

void QtServices::SetBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace kestrix::platform::qt
