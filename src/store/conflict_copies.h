#pragma once

#include <QDateTime>
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
    // The base name we give a conflict copy of the note named original, made at when (local
    // time): "Plan (conflict 2026-12-06 101500)", at most maxBytes of UTF-8. original is cut
    // to make room, never the date, which is what marks the name as a copy.
    static QString ourCopyName(const QString& original, const QDateTime& when, qsizetype maxBytes);
};
