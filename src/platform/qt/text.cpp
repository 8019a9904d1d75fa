#include "platform/qt/text.h"

#include <QDir>
#include <QStringDecoder>

namespace kestrix::platform::qt {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// The file seam takes paths as UTF-8 on every system (Qt's 8-bit form of a
// path is UTF-8 on POSIX, but an older code page on Windows).
QString PathText(std::string_view path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string PathBytes(const QString& path) {
    return path.toUtf8().toStdString();
}

std::string NativePathBytes(const QString& path) {
    return PathBytes(QDir::toNativeSeparators(path));
}

QString MixedText(std::string_view text) {
    QStringDecoder local(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = local(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return local.hasError() ? Latin1(text) : decoded;
}

namespace {

constexpr char16_t kCarriageReturnPicture = u'\u240D';
constexpr char16_t kLineFeedPicture = u'\u240A';

} // namespace

bool Writable(const QString& text, bool multiLine) {
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool picture = code == kCarriageReturnPicture || code == kLineFeedPicture ||
                             c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
        if (code > 0xFF && !(multiLine && picture))
            return false;
    }
    return true;
}

QString MultiLineShown(std::string_view text) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            shown += QLatin1Char('\n');
            ++i;
        } else if (c == '\r') {
            shown += QChar(kCarriageReturnPicture);
        } else if (c == '\n') {
            shown += QChar(kLineFeedPicture);
        } else {
            shown += QLatin1Char(c);
        }
    }
    return shown;
}

std::string MultiLineStored(const QString& shown) {
    std::string text;
    text.reserve(static_cast<std::size_t>(shown.size()));
    for (const QChar c : shown) {
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text += "\r\n";
        else if (c.unicode() == kCarriageReturnPicture)
            text += '\r';
        else if (c.unicode() == kLineFeedPicture)
            text += '\n';
        else
            text += c.unicode() < 256 ? static_cast<char>(c.unicode()) : '?';
    }
    return text;
}

} // namespace kestrix::platform::qt
