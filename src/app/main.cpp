#include "alert_service.h"
#include "clock.h"
#include "freedesktop_trash.h"
#include "notes_store.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include <csignal>

namespace {

// Until the window exists, the store's messages go to the terminal.
class TerminalAlerts final : public AlertService
{
public:
    void showError(const FileError& error) override
    {
        QTextStream(stderr) << error.message << ' ' << error.reason << '\n';
    }
    bool showText(const QString& message, const QString& informativeText, Style,
                  const QStringList&) override
    {
        QTextStream(stderr) << message << ' ' << informativeText << '\n';
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    // A write past the file size limit must fail with an error we can report, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));

    TerminalAlerts alerts;
    FreedesktopTrash trash;
    SystemClock clock;
    NotesStore store(alerts, trash, clock);

    QObject::connect(&store, &NotesStore::notesChanged, &app, [&] {
        QTextStream out(stdout);
        if (store.folderURL().isEmpty())
            out << "Quillbox: no notes folder is chosen yet.\n";
        else
            out << "Quillbox: " << store.notes().size() << " notes in " << store.folderURL()
                << '\n';
        out << "The main window is not built yet; the notes store is all that runs so far.\n";
        out.flush();
        QTimer::singleShot(0, &app, &QApplication::quit);
    });
    return app.exec();
}
