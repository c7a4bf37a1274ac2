#pragma once

#include "store/note.h"

#include <QList>

#include <vector>

// How a list of notes becomes another, as the few steps a view can follow: ranges removed,
// rows moved, ranges inserted, rows whose record changed. Rows are the same note when they
// name the same file. Only a reload needs it: every other change says itself what it did.
struct ListDiff
{
    // Beyond this many steps one reset is cheaper for a view than following them.
    static constexpr qsizetype maxSteps = 64;

    struct Step
    {
        enum class Kind
        {
            Remove, // rows first..last of the list as it is at this step
            Move,   // the row at first goes to last (as QList::move)
            Insert, // rows first..last of the new list, at their place
        };
        Kind kind;
        qsizetype first;
        qsizetype last;
    };
    std::vector<Step> steps;
    // Rows of the new list whose note shows something else than before (title, date, text).
    std::vector<qsizetype> changed;
    // Too many steps, or nothing in common: start over instead.
    bool reset = false;

    static ListDiff between(const QList<Note>& before, const QList<Note>& next);
    // The rows a search hides and shows: both are ascending positions in one list, so the
    // difference is a walk through both, with no records compared. Only removals and
    // insertions; nothing changes or moves.
    static ListDiff ofPositions(const std::vector<qsizetype>& shown,
                                const std::vector<qsizetype>& next);
    // The same for rows in any order (positions in one list, each at most once): what a new
    // sort order, or a record that moved in it, asks of a view. Changes no row.
    static ListDiff ofOrder(const std::vector<qsizetype>& shown,
                            const std::vector<qsizetype>& next);
};
