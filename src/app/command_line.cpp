#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

std::optional<CommandLine::Answer> CommandLine::answer(const QStringList& arguments,
                                                       const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(tr("Quillbox — plain-text notes that save themselves."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    // Options of the toolkit (-platform, -stylesheet …) are unknown here; they are checked
    // once the application exists. Read as words, or "-stylesheet" would hold an "-h".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(arguments);
    const QString program =
        arguments.isEmpty() ? QStringLiteral("quillbox") : QFileInfo(arguments.first()).fileName();
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // "Usage: <program> [options]", with the name a user types rather than a full path.
        QString text = parser.helpText();
        const qsizetype name = text.indexOf(QLatin1String(": ")) + 2;
        const qsizetype options = text.indexOf(QLatin1String(" [options]"));
        if (name >= 2 && options > name)
            text.replace(name, options - name, program);
        return Answer{0, text};
    }
    if (parser.isSet(versionOption))
        return Answer{0, program + QLatin1Char(' ') + version + QLatin1Char('\n')};
    return std::nullopt;
}
