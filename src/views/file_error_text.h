#pragma once

#include "store/file_error.h"

#include <QCoreApplication>
#include <QString>

// The words for a failed file operation: what failed and where ("The file “X.md” couldn’t be
// saved in the folder “Notes”."), and why, in the system's words ("Permission denied").
class FileErrorText
{
    Q_DECLARE_TR_FUNCTIONS(FileErrorText)

public:
    static QString message(const FileError& error);
    static QString reason(const FileError& error);
};
