#pragma once

#include "store/note.h"

#include <QString>

// Text the user typed that may not be on disk yet, with the record it was typed over: what
// a save checks the file against, so another program's change is never written over.
struct Draft
{
    QString text;
    Note base;

    bool isUnsaved() const;
};
