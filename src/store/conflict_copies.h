#pragma once

#include <QString>
#include <QStringView>

// Conflict copies are notes of their own, written when two versions of a note could not be
// joined: by a sync tool or by us. Their names say which note they belong to.
class ConflictCopies
{
public:
    // The base name (no extension) of the note that the base name baseName is a conflict copy
    // of; empty when it is none. Knows Syncthing's, Nextcloud's, Dropbox's names and ours.
    static QString originalOf(QStringView baseName);
    static bool isConflictCopy(QStringView baseName) { return !originalOf(baseName).isEmpty(); }
};
