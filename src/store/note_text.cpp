#include "store/note_text.h"

namespace {

constexpr char bom[] = "\xEF\xBB\xBF";

} // namespace

std::optional<NoteText::Decoded> NoteText::decode(const QByteArray& bytes)
{
    // The text stays in its bytes: checking them is all a read needs.
    Decoded decoded;
    decoded.hasBom = bytes.startsWith(bom);
    decoded.utf8 = decoded.hasBom ? bytes.sliced(3) : bytes;
    if (!QByteArrayView(decoded.utf8).isValidUtf8())
        return std::nullopt;
    decoded.lineEnding = firstLineEnding(decoded.utf8);
    return decoded;
}

QByteArray NoteText::encode(QStringView text, bool hasBom)
{
    return withBom(text.toUtf8(), hasBom);
}

QByteArray NoteText::withBom(const QByteArray& utf8, bool hasBom)
{
    return hasBom ? bom + utf8 : utf8;
}

NoteText::LineEnding NoteText::firstLineEnding(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            return LineEnding::Lf;
        if (text[i] == '\r')
            return i + 1 < text.size() && text[i + 1] == '\n' ? LineEnding::CrLf : LineEnding::Cr;
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
