#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <optional>

// The options answered on the terminal. They are read before the application object exists,
// because making one needs a display, and "--help" over ssh has none.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    struct Answer
    {
        int exitCode = 0;
        QString text;
    };

    // The answer to --help or --version; nothing when the application should start.
    static std::optional<Answer> answer(const QStringList& arguments, const QString& version);
};
