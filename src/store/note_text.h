#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// How a note's bytes become its text and back, byte for byte: a file keeps its own line
// endings and its byte-order mark, and a text that nobody edited is never rewritten.
class NoteText
{
public:
    enum class LineEnding : quint8
    {
        Lf,
        CrLf,
        Cr,
    };

    struct Decoded
    {
        QByteArray utf8; // without the byte-order mark, line endings as in the file
        bool hasBom = false;
        LineEnding lineEnding = LineEnding::Lf;
    };

    // Strict UTF-8; nothing when the bytes are not valid UTF-8.
    static std::optional<Decoded> decode(const QByteArray& bytes);
    static QByteArray encode(QStringView text, bool hasBom);
    static QByteArray withBom(const QByteArray& utf8, bool hasBom);
    // The first line ending of the text; a text without one takes the system's.
    static LineEnding firstLineEnding(QByteArrayView utf8);
    // An editor's raw text (paragraphs separated by U+2029) with the note's own line ending
    // between its lines. Everything else, non-breaking spaces included, is kept.
    static QString fromEditor(QString raw, LineEnding ending);
};
