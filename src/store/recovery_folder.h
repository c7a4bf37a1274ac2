#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Where unsaved text goes when it cannot reach its note and the application must end anyway:
// $XDG_STATE_HOME/quillbox/recovered, one file per note named after it, beside a small
// ".origin" file whose first line is the folder the note belonged to. Recovered text is as
// private as a note and further from its folder: folders are 0700 and files 0600.
class RecoveryFolder
{
public:
    static QString path();
    // Last resorts when path() cannot take the text, in order: the session's runtime folder,
    // then a folder of our own in the temporary folder.
    static QStringList fallbackPaths();
    // The first of path() and fallbackPaths() that holds recovered text; empty when none does.
    static QString placeWithFiles();

    enum class Reach
    {
        RecoveryFolderOnly,
        AnyPrivateFolder,
    };
    struct Kept
    {
        QString file;  // where the text is now; empty when nowhere
        int error = 0; // errno of the step that kept it out of path(); 0 when it is there
    };
    // Never replaces an earlier recovered file.
    static Kept keep(const QString& notePath, const QString& text, bool hasBom,
                     Reach reach = Reach::RecoveryFolderOnly);
    struct Recovered
    {
        QString file; // in path()
        QString note; // the note it could not reach
        QString text; // without the byte-order mark
        QDateTime modified;
    };
    // The texts in path() that could not reach a note of folder, in file name order.
    static QList<Recovered> recoveredFrom(const QString& folder);
    // A process ended by the system can tell no one else: one line on standard error says
    // where the text went, or holds the text itself when it went nowhere.
    static void tellStandardError(const QString& notePath, const Kept& kept, const QString& text);
};
