#include "desktop_search_bench.h"

#include "app/note_results.h"
#include "app/shell_search_provider.h"
#include "bench_timing.h"
#include "store/notes_store.h"
#include "store/search_key.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QProcess>

namespace {

using namespace BenchTiming;

// One call and its answer; this thread's event loop answers it meanwhile.
QVariant ask(QDBusConnection& bus, const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("io.github.quillbox.Bench"), ShellSearchProvider::objectPath,
        QStringLiteral("org.gnome.Shell.SearchProvider2"), method);
    call.setArguments(arguments);
    QDBusPendingCallWatcher watcher(bus.asyncCall(call));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    const QDBusMessage reply = watcher.reply();
    return reply.arguments().value(0);
}

} // namespace

void DesktopSearchBench::run(NotesStore& store, QTextStream& out)
{
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForReadyRead(5000)) {
        out << "desktop search       skipped: no dbus-daemon\n";
        return;
    }
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    {
        QDBusConnection server = QDBusConnection::connectToBus(address, QStringLiteral("server"));
        QDBusConnection client = QDBusConnection::connectToBus(address, QStringLiteral("client"));
        NoteResults results;
        results.attach(store, true);
        ShellSearchProvider provider(results);
        server.registerObject(ShellSearchProvider::objectPath, &provider,
                              QDBusConnection::ExportScriptableSlots);
        server.registerService(QStringLiteral("io.github.quillbox.Bench"));
        const NoteList& list = store.noteList();
        // Each query the first time: no scan of it is remembered yet, nor of a shorter one.
        for (const QString& query : {QStringLiteral("recipe"), QStringLiteral("quokka"),
                                     QStringLiteral("chapter draft")}) {
            const QByteArray folded = SearchKey::fold(query);
            qsizetype found = 0;
            const double scan = msOf([&] {
                found = NoteList::scan(list.notes(), list.candidates(folded), folded).rows.size();
            });
            QStringList ids;
            const double shell = msOf([&] {
                ids = ask(client, QStringLiteral("GetInitialResultSet"),
                          {QStringList(query.split(QLatin1Char(' ')))})
                          .toStringList();
                ask(client, QStringLiteral("GetResultMetas"), {ids});
            });
            const double again = msOf([&] {
                ask(client, QStringLiteral("GetSubsearchResultSet"),
                    {ids, QStringList(query.split(QLatin1Char(' ')))});
            });
            out << QStringLiteral("shell search %1 %2 ms (then %3 ms)   store's scan %4 ms   "
                                  "ratio %5   budget 50 ms   %6 of %7 found\n")
                       .arg(QStringLiteral("\"%1\"").arg(query), -15)
                       .arg(shell, 0, 'f', 2)
                       .arg(again, 0, 'f', 2)
                       .arg(scan, 0, 'f', 2)
                       .arg(shell / scan, 0, 'f', 2)
                       .arg(ids.size())
                       .arg(found);
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    daemon.kill();
    daemon.waitForFinished();
}
