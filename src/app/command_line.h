#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <optional>

// Every option is checked before the application object exists, because making one needs a
// display, and "--help" or a mistyped option over ssh has none. The toolkit's own options
// (-platform, -style …) are let through for it to take.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    // What the terminal is told instead of starting: help, the version, or a mistake.
    struct Answer
    {
        int exitCode = 0;
        QString text;
        bool toStandardError() const { return exitCode != 0; }
    };

    // What the launch asks of Quillbox, whether it starts or hands over to the running one.
    struct Request
    {
        enum class Kind
        {
            Show,
            NewNote,
            Search,
            Open,
        };
        Kind kind = Kind::Show;
        // NewNote: its text (none: an empty dated note); Search: the query.
        std::optional<QString> text;
        // NewNote: the text is what standard input holds.
        bool textFromStandardInput = false;
        // Open: absolute paths.
        QStringList files;
        // Started by the session bus for the desktop's search: no window until one is asked for.
        bool service = false;
    };

    struct Parsed
    {
        std::optional<Answer> answer;
        Request request;
    };

    static Parsed parse(const QStringList& arguments, const QString& version);
    // Standard input as text, to its end.
    static QString readStandardInput();
};
