#include "platform/qt/text.h"

#include <QFile>
#include <QStringDecoder>

namespace kestrix::platform::qt {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

QString PathText(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString MixedText(std::string_view text) {
    QStringDecoder local(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    const QString decoded = local(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return local.hasError() ? Latin1(text) : decoded;
}

} // namespace kestrix::platform::qt
