#include "quillbox_app.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>

int main(int argc, char* argv[])
{
    // A write past the file size limit must fail with an error we can report, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillbox"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillbox"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.quillbox.Quillbox"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillbox — plain-text notes that save themselves."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);

    QuillboxApp app;
    app.show();
    return QApplication::exec();
}
