#include "app/command_line.h"
#include "app/desktop_search.h"
#include "app/launch_requests.h"
#include "app/quillbox_app.h"
#include "app/single_instance.h"
#include "app/translations.h"
#include "build_config.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    // A write past the file size limit must fail with an error we can report, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    CommandLine::Parsed parsed = CommandLine::parse(arguments, QStringLiteral(QUILLBOX_VERSION));
    if (const auto& answer = parsed.answer) {
        std::fputs(answer->text.toLocal8Bit().constData(),
                   answer->toStandardError() ? stderr : stdout);
        return answer->exitCode;
    }
    CommandLine::Request& request = parsed.request;
    if (request.textFromStandardInput)
        request.text = CommandLine::readStandardInput();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillbox"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillbox"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(QUILLBOX_APP_ID));

    const Translations translations;
    DesktopSearch search;
    SingleInstance instance;
    if (instance.claim(request) == SingleInstance::Role::AlreadyRunning)
        return 0;
    QuillboxApp app;
    app.answerLaunches(instance);
    search.serve(app);
    LaunchRequests::start(app, request);
    return QApplication::exec();
}
