#pragma once

#include <QList>
#include <QStringView>

// A misspelled word, as a range of the text that was checked.
struct Misspelling
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const Misspelling&, const Misspelling&) = default;
};

// Finds the misspelled words of a piece of prose. The editor hands it only what is meant to be
// read as words: never code, addresses or links between notes.
class SpellChecker
{
public:
    virtual ~SpellChecker() = default;
    virtual QList<Misspelling> misspellings(QStringView text) const = 0;
};
