#pragma once

#include <QString>
#include <QStringView>

// The rules that tie a note to its file: which files are notes, how the title follows from
// the text, and which file name a title gets.
class Naming
{
public:
    static constexpr qsizetype maxTitleCharacters = 120;
    // Linux file names hold at most 255 bytes of UTF-8.
    static constexpr qsizetype maxFileNameBytes = 255;
    // Room kept for the longest " (N)" that can occur: N never exceeds the number of entries
    // a folder can hold (2^32 on the common file systems), so ten digits suffice.
    static constexpr qsizetype numberSuffixReserveBytes = 13;
    static inline const QString extension = QStringLiteral("md");

    // The first non-empty line, trimmed and without a Markdown heading marker ("# "); the
    // fallback when nothing is left.
    static QString derivedTitle(QStringView content, const QString& fallback);
    // A safe base name (no extension) for a title.
    static QString sanitizedFileName(QStringView title);
    // Numbered names tried before a folder counts as too full of one name.
    static constexpr int maxNameAttempts = 1000;
    // Path for the note's file in folder: base + ".md", numbered " (N)" while the name is
    // taken by another entry. excluding is the note's current path (empty for a new note).
    // Empty when every name tried was taken.
    static QString uniqueFileURL(const QString& folder, const QString& base,
                                 const QString& excluding = {});

    static bool isNoteFileName(QStringView fileName);
    static QString baseName(QStringView path);
    static QString fileName(QStringView path);
    static QString folderOf(QStringView path);

    // White space and line breaks as the naming rules trim them: Unicode space separators,
    // U+0009 to U+000D and U+0085.
    static bool isTrimmedSpace(char32_t c);
    static QString trimmed(QStringView text);
    // File names are bytes, and not every name is valid UTF-8. Such a name's stray bytes are
    // held as lone surrogates U+DC80..U+DCFF, which no valid name can decode to, so each
    // file keeps one exact path and two names never collapse into one.
    static QString pathFromBytes(const QByteArray& bytes);
    static QByteArray pathBytes(QStringView path);
    static bool isValidUtf8Name(QStringView path);
    // The name as a person reads it: stray bytes shown as U+FFFD.
    static QString readableName(const QString& name);

    // Cut at a grapheme boundary so that the UTF-8 form fits in maxBytes; inside the first
    // grapheme, between code points, when that alone is too long.
    static QString fitToBytes(const QString& text, qsizetype maxBytes);
    // The same for a base name, which is never left empty: that would name a hidden ".md".
    static QString fittedBase(const QString& base, qsizetype maxBytes);
};
