#pragma once

#include <QList>
#include <QString>

// Where a text holds a query, ignoring case as the notes search does (full case folding,
// so "STRASSE" finds "Straße"; accents count). The text is folded once and kept, so a
// query is a plain search of the folded copy; the last queries' answers are kept as well,
// so stepping from match to match searches nothing.
class TextMatches
{
public:
    struct Match
    {
        qsizetype start = 0;
        qsizetype length = 0;
        friend bool operator==(const Match&, const Match&) = default;
    };

    void setText(QStringView text);
    // In order and never overlapping, in positions of the text given: a folded character
    // longer than its original ("ß" is "ss") counts as that whole character.
    QList<Match> matches(QStringView query);

    // The match to go to from a selection [from, to): forward, the first that starts at or
    // after to; backward, the last that starts before from. Past either end it wraps around.
    // -1 when there are none.
    static qsizetype nextIndex(const QList<Match>& matches, qsizetype from, qsizetype to,
                               bool backward);
    // The index of the match that is exactly [from, to), else -1.
    static qsizetype indexOf(const QList<Match>& matches, qsizetype from, qsizetype to);

private:
    // Where a character folds to another length: positions after it shift.
    struct Shift
    {
        qsizetype folded, original, foldedLength, originalLength;
    };
    struct Answer
    {
        QString query;
        QList<Match> matches;
    };

    static QString fold(QStringView text, QList<Shift>* shifts);
    qsizetype originalStart(qsizetype folded) const;
    qsizetype originalEnd(qsizetype folded) const;

    QString m_folded;
    QList<Shift> m_shifts;
    // The two latest, most recent first: a find and the search's hits may ask in turn.
    QList<Answer> m_answers;
};
