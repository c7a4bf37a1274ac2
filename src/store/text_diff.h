#pragma once

#include <QList>
#include <QString>

// Two texts of a note side by side, line by line: every line of both in reading order, each
// said to be in both, only in the first, or only in the second. The comparison is git's
// (through libgit2), on the texts as they are: a line that differs only in its CR LF ending
// differs.
class TextDiff
{
public:
    enum class Kind
    {
        Same,
        Removed, // only in before
        Added,   // only in after
    };
    struct Line
    {
        Kind kind = Kind::Same;
        QString text; // without its line feed; a CR before it stays
        friend bool operator==(const Line&, const Line&) = default;
    };

    static QList<Line> lines(const QString& before, const QString& after);
};
