#include "library/user_text.h"

#include <QStringDecoder>

namespace {

// A stateful decoder keeps an incomplete last character back instead of calling it an error.
bool DecodeUtf8(const QByteArray& bytes, QString* text) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    if (text)
        *text = std::move(decoded);
    return true;
}

} // namespace

TextEncoding DetectTextEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.contains('\0'))
        return TextEncoding::Utf16Le;
    return DecodeUtf8(bytes, nullptr) ? TextEncoding::Utf8 : TextEncoding::Unknown;
}

QString Utf8Text(const QByteArray& bytes) {
    QString text;
    if (!DecodeUtf8(bytes, &text))
        text = QString::fromUtf8(bytes);
    return text;
}
