#pragma once

#include "store/note.h"

#include <QList>

#include <vector>

// Which rows of two lists of notes show the same note: the same file, or the same record when
// its save renamed the file. Cheap for what happens often: a search keeps the records it
// shows, a save or a new note puts one row out of step.
struct RowMatching
{
    std::vector<qsizetype> newOf; // each old row's place in the new list; -1 when it went
    std::vector<qsizetype> oldOf; // each new row's place in the old list; -1 when it came

    static RowMatching match(const QList<Note>& before, const QList<Note>& next);
    // Records are values shared between the store and its views: a row showing the same record
    // shares its strings, and the comparison stops at the pointer.
    template <typename Text> static bool same(const Text& a, const Text& b)
    {
        return a.isSharedWith(b) || a == b;
    }
};
