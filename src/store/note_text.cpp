#include "store/note_text.h"

#include <QStringDecoder>

namespace {

constexpr char bom[] = "\xEF\xBB\xBF";

bool isAscii(const QByteArray& bytes)
{
    unsigned char seen = 0;
    for (const char c : bytes)
        seen |= static_cast<unsigned char>(c);
    return seen < 0x80;
}

} // namespace

std::optional<NoteText::Decoded> NoteText::decode(const QByteArray& bytes)
{
    Decoded decoded;
    if (isAscii(bytes)) {
        decoded.text = QString::fromLatin1(bytes);
    } else {
        decoded.hasBom = bytes.startsWith(bom);
        const QByteArrayView body =
            decoded.hasBom ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        decoded.text = decoder(body);
        if (decoder.hasError())
            return std::nullopt;
    }
    decoded.lineEnding = firstLineEnding(decoded.text);
    return decoded;
}

QByteArray NoteText::encode(QStringView text, bool hasBom)
{
    QByteArray bytes = text.toUtf8();
    if (hasBom)
        bytes.prepend(bom);
    return bytes;
}

NoteText::LineEnding NoteText::firstLineEnding(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return LineEnding::Lf;
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? LineEnding::CrLf : LineEnding::Cr;
    }
    return LineEnding::Lf;
}

QString NoteText::fromEditor(QString raw, LineEnding ending)
{
    switch (ending) {
    case LineEnding::Lf:
        raw.replace(QChar::ParagraphSeparator, u'\n');
        break;
    case LineEnding::Cr:
        raw.replace(QChar::ParagraphSeparator, u'\r');
        break;
    case LineEnding::CrLf:
        raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        break;
    }
    return raw;
}
