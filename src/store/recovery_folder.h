#pragma once

#include <QString>

// Where unsaved text goes when it cannot reach its note and the application must end anyway:
// $XDG_STATE_HOME/quillbox/recovered, one file per note named after it, beside a small
// ".origin" file whose first line is the folder the note belonged to.
class RecoveryFolder
{
public:
    static QString path();
    static bool hasFiles();
    // 0, or the errno of the step that failed. Never replaces an earlier recovered file.
    static int keep(const QString& notePath, const QString& text, bool hasBom);
};
