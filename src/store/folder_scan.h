#pragma once

#include "store/note_loader.h"

// Lists a notes folder from its entries alone: each note's record made from its name and one
// stat, its text not read (textPending). A hundred thousand notes are listed in the time a
// few thousand would take to read.
class FolderScan
{
public:
    // Newest first; the same error and folder as a load reports.
    static NoteLoader::Result scan(const QString& folder);
};
