#include "command_line.h"

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
    // once the application exists.
    parser.parse(arguments);
    const QString program =
        arguments.isEmpty() ? QStringLiteral("quillbox") : QFileInfo(arguments.first()).fileName();
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), program);
        return Answer{0, text};
    }
    if (parser.isSet(versionOption))
        return Answer{0, program + QLatin1Char(' ') + version + QLatin1Char('\n')};
    return std::nullopt;
}
