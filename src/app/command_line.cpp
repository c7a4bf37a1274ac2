#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

struct ToolkitOption
{
    const char* name;
    const char* valueName; // nullptr: a switch
    const char* description;
};

// The toolkit's options a user may pass, as its documentation lists them.
constexpr ToolkitOption toolkitOptions[] = {
    {"platform", "name[:options]", QT_TRANSLATE_NOOP("CommandLine", "The platform plugin.")},
    {"platformpluginpath", "path",
     QT_TRANSLATE_NOOP("CommandLine", "Where to look for platform plugins.")},
    {"platformtheme", "theme", QT_TRANSLATE_NOOP("CommandLine", "The platform theme.")},
    {"plugin", "plugin", QT_TRANSLATE_NOOP("CommandLine", "An additional plugin to load.")},
    {"qwindowgeometry", "geometry",
     QT_TRANSLATE_NOOP("CommandLine", "The main window's size and place.")},
    {"qwindowicon", "icon", QT_TRANSLATE_NOOP("CommandLine", "The main window's icon.")},
    {"qwindowtitle", "title", QT_TRANSLATE_NOOP("CommandLine", "The main window's title.")},
    {"reverse", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Lays the window out right to left.")},
    {"session", "session", QT_TRANSLATE_NOOP("CommandLine", "Restores the session given.")},
    {"display", "display", QT_TRANSLATE_NOOP("CommandLine", "The X display to use.")},
    {"geometry", "geometry", QT_TRANSLATE_NOOP("CommandLine", "The main window's size and place.")},
    {"style", "style", QT_TRANSLATE_NOOP("CommandLine", "The widget style.")},
    {"stylesheet", "file", QT_TRANSLATE_NOOP("CommandLine", "A style sheet to apply.")},
    {"widgetcount", nullptr,
     QT_TRANSLATE_NOOP("CommandLine", "Prints how many widgets were left at exit.")},
    {"qmljsdebugger", "options", QT_TRANSLATE_NOOP("CommandLine", "Enables the QML debugger.")},
    // Accepted for the X11 plugin, but not worth a line of help.
    {"name", "name", nullptr},
    {"title", "title", nullptr},
    {"icon", "icon", nullptr},
    {"visual", "id", nullptr},
    {"nograb", nullptr, nullptr},
    {"dograb", nullptr, nullptr},
    {"sync", nullptr, nullptr},
};

// "Usage: <program> [options]", with the name a user types rather than a full path.
QString helpText(const QCommandLineParser& parser, const QString& program)
{
    QString text = parser.helpText();
    const qsizetype name = text.indexOf(QLatin1String(": ")) + 2;
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (name >= 2 && options > name)
        text.replace(name, options - name, program);
    return text;
}

} // namespace

CommandLine::Parsed CommandLine::parse(const QStringList& arguments, const QString& version)
{
    // "--help-all" is known before the parse: it decides whether the toolkit's options show.
    const bool helpAll = arguments.contains(QStringLiteral("--help-all")) ||
                         arguments.contains(QStringLiteral("-help-all"));
    QCommandLineParser parser;
    parser.setApplicationDescription(tr("Quillbox — plain-text notes that save themselves."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption newNote(
        QStringLiteral("new"),
        tr("Makes a note of the words that follow (\"-\": of standard input), or an empty "
           "dated note without them, and shows it."));
    const QCommandLineOption search(QStringLiteral("search"),
                                    tr("Shows the notes whose title or text holds the query."),
                                    tr("query"));
    QCommandLineOption service(QStringLiteral("service"),
                               tr("Answers the desktop's search without showing a window."));
    service.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({newNote, search, service});
    parser.addPositionalArgument(tr("FILE"), tr("A note of the notes folder to show."),
                                 tr("[FILE]"));
    for (const ToolkitOption& option : toolkitOptions) {
        QCommandLineOption known(QString::fromLatin1(option.name),
                                 option.description ? tr(option.description) : QString(),
                                 QString::fromLatin1(option.valueName));
        if (!helpAll || !option.description)
            known.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(known);
    }
    // Read as words, as the toolkit reads its own options, or "-stylesheet" would hold an "-h".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const bool parsed = parser.parse(arguments);
    const QString program =
        arguments.isEmpty() ? QStringLiteral("quillbox") : QFileInfo(arguments.first()).fileName();
    const auto mistake = [&](const QString& what) {
        return Parsed{Answer{2, what + QLatin1Char('\n') + helpText(parser, program)}, {}};
    };
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return mistake(parser.errorText());
        return mistake(tr("Unknown option: %1").arg(unknown.join(QStringLiteral(", "))));
    }
    if (parser.isSet(help) || helpAll)
        return {Answer{0, helpText(parser, program)}, {}};
    if (parser.isSet(versionOption))
        return {Answer{0, program + QLatin1Char(' ') + version + QLatin1Char('\n')}, {}};

    Request request;
    request.service = parser.isSet(service);
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(newNote) && parser.isSet(search))
        return mistake(tr("--new and --search cannot be used together."));
    if (parser.isSet(newNote)) {
        request.kind = Request::Kind::NewNote;
        request.textFromStandardInput = words == QStringList{QStringLiteral("-")};
        if (!words.isEmpty() && !request.textFromStandardInput)
            request.text = words.join(QLatin1Char(' '));
    } else if (parser.isSet(search)) {
        if (!words.isEmpty())
            return mistake(tr("--search takes one query; put it in quotes."));
        request.kind = Request::Kind::Search;
        request.text = parser.value(search);
    } else if (!words.isEmpty()) {
        request.kind = Request::Kind::Open;
        for (const QString& file : words)
            request.files.append(QFileInfo(file).absoluteFilePath());
    }
    return {std::nullopt, request};
}

QString CommandLine::readStandardInput()
{
    QByteArray bytes;
    char buffer[65536];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        bytes.append(buffer, qsizetype(read));
    return QString::fromLocal8Bit(bytes);
}
