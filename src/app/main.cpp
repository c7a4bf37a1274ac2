#include "app/command_line.h"
#include "app/quillbox_app.h"
#include "app/single_instance.h"
#include "app/translations.h"
#include "build_config.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    // A write past the file size limit must fail with an error we can report, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const auto answer = CommandLine::answer(arguments, QStringLiteral(QUILLBOX_VERSION))) {
        std::fputs(answer->text.toLocal8Bit().constData(), stdout);
        return answer->exitCode;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillbox"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillbox"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(QUILLBOX_APP_ID));

    // Unknown options are reported here, once the toolkit has taken its own.
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);
    const Translations translations;

    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::AlreadyRunning)
        return 0;
    QuillboxApp app;
    app.answerLaunches(instance);
    app.show();
    return QApplication::exec();
}
