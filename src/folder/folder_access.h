#pragma once

#include "store/file_error.h"

#include <QString>
#include <optional>

// Remembers the notes folder across launches and answers whether this process may write
// there. Holds nothing itself: the one persistent value lives in the settings file.
class FolderAccess
{
public:
    static inline const QString bookmarkKey = QStringLiteral("NotesFolderBookmark");
    // Flatpak puts this file at the root of every sandbox it runs.
    static inline const QString sandboxMarker = QStringLiteral("/.flatpak-info");
    static inline const QString probeFileName = QStringLiteral(".__sx_notes_write_test");

    using RemoveFile = int (*)(const QString& path);

    static bool isSandboxed(const QString& marker = sandboxMarker);
    // Usability of a folder. Sandboxed runs prove it with a real probe file, because the
    // sandbox's view of permissions need not be the file system's; removeProbe exists so
    // tests can make the removal fail.
    static bool canWrite(const QString& folder, RemoveFile removeProbe = nullptr,
                         bool sandboxed = isSandboxed());
    // Remembers folder; the error when it cannot be remembered.
    static std::optional<FileError> saveBookmark(const QString& folder);
    static void clearBookmark();
    // The remembered folder, or an empty string. Kept when it is missing or unwritable for
    // now; forgotten only when the value is not a path at all.
    static QString restoreFolder();
    static QString defaultFolderURL();
    // Where the folder chooser opens: the current notes folder, else the default folder, else
    // Documents, else home; the first that exists. Makes nothing: a cancelled chooser leaves
    // no trace.
    static QString chooserStartFolder(const QString& current = QString());
    // Makes folder and its parents: 0, or the errno of the step that failed.
    static int makeFolder(const QString& folder);
};
