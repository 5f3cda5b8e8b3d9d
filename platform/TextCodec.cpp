#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString DecodeStoredText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder arabic("windows-1256");
    if (arabic.isValid())
        return arabic(bytes);
    return QString::fromLatin1(bytes);
}

QByteArray EncodeStoredText(const QString& text) {
    QStringEncoder arabic("windows-1256");
    if (arabic.isValid()) {
        QByteArray bytes = arabic(text);
        if (!arabic.hasError())
            return bytes;
    }
    return text.toUtf8();
}
