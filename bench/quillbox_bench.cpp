// Measures the store on generated folders, each size in a fresh process so that memory
#include "bench_timing.h"
// figures are its own. Every time is printed beside a reference measured in the same run.
#include "folder/bookmarked_folder_access.h"
#include "folder/folder_access.h"
#include "note_generator.h"
#include "store/clock.h"
#include "store/freedesktop_trash.h"
#include "store/notes_store.h"
#include "test_support.h"
#include "views/file_error_text.h"

#include "app_bench.h"
#include "desktop_search_bench.h"
#include "editor_bench.h"
#include "history_bench.h"
#include "spelling_bench.h"
#include "startup_bench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace BenchTiming;

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(msOf(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double minMs(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, msOf(work));
    return best;
}

double catMs(const QString& folder)
{
    const QString command =
        QStringLiteral("find '%1' -maxdepth 1 -name '*.md' -print0 | xargs -0 cat > /dev/null")
            .arg(folder);
    return msOf([&] { QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}); });
}

double bareWriteMs(const QString& path, const QByteArray& bytes)
{
    return msOf([&] {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            std::fprintf(stderr, "bare write failed\n");
        ::fdatasync(fd);
        ::close(fd);
    });
}

// The bench's own home, settings and history, so that nothing of the user's is read or written;
// returns its notes folder, made.
QString notesFolderIn(const QTemporaryDir& home)
{
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    const QString folder = home.path() + QStringLiteral("/Notes");
    QDir().mkpath(folder);
    return folder;
}

int runOne(int argc, char** argv, int count)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const QString folder = notesFolderIn(home);
    const qint64 bytes = NoteGenerator::fill(folder, count);
    FolderAccess::saveBookmark(folder);
    const double folderMB = double(bytes) / (1024.0 * 1024.0);

    QTextStream out(stdout);
    out << QStringLiteral("== %1 notes, %2 MB ==\n").arg(count).arg(folderMB, 0, 'f', 1);
    out.flush();

    catMs(folder); // warm the page cache
    const double cat = std::min({catMs(folder), catMs(folder), catMs(folder)});

    const double rssBefore = AppBench::residentMB();
    // The bench never answers an alert, chooses a folder or prints; what it was told is
    // printed at the end.
    ScriptedAlerts alerts;
    FreedesktopTrash trash;
    SystemClock clock;
    BookmarkedFolderAccess folders;
    RecordingPrinter printer;
    auto owned = std::make_unique<NotesStore>(StoreServices{trash, clock, folders});
    NotesStore& store = *owned;
    settle();
    const double rssAfter = AppBench::residentMB();
    const double load = minMs(3, [&] {
        store.loadNotes();
        settle();
    });
    out << QStringLiteral("load                 %1 ms   cat %2 ms   ratio %3  (target <= 1.5)\n")
               .arg(load, 0, 'f', 1)
               .arg(cat, 0, 'f', 1)
               .arg(load / cat, 0, 'f', 2);
    const double limitMB = 3 * folderMB + 40;
    out << QStringLiteral("memory               RSS %1 MB (%2 MB before the store)   limit 3 x "
                          "folder + 40 = %3 MB   ratio %4  (target <= 1)\n")
               .arg(rssAfter, 0, 'f', 1)
               .arg(rssBefore, 0, 'f', 1)
               .arg(limitMB, 0, 'f', 1)
               .arg(rssAfter / limitMB, 0, 'f', 2);

    const double frameMs = count > 10000 ? 50.0 : 10.0;
    const QStringList queries = {QString(), QStringLiteral("e"), QStringLiteral("garden"),
                                 QStringLiteral("zebra")};
    for (const QString& query : queries) {
        store.setSearchText(query);
        qsizetype found = 0;
        const double first = msOf([&] { found = store.filteredNotes().size(); });
        const double typical = medianMs(15, [&] { store.filteredNotes(); });
        out << QStringLiteral(
                   "search %1 %2 ms (first %3 ms)   budget %4 ms   ratio %5   %6 found\n")
                   .arg(QStringLiteral("\"%1\"").arg(query), -13)
                   .arg(typical, 0, 'f', 2)
                   .arg(first, 0, 'f', 2)
                   .arg(frameMs, 0, 'f', 0)
                   .arg(std::max(first, typical) / frameMs, 0, 'f', 2)
                   .arg(found);
    }
    store.setSearchText(QString());

    Note note = store.notes().first();
    QString text = store.textFor(note);
    const int edits = 2000;
    // As the window's editor does it: the store reads the editor's text only when it saves.
    const auto typed = [&text]() -> std::optional<QString> { return text; };
    const double editMs = msOf([&] {
        for (int i = 0; i < edits; ++i) {
            text += QLatin1Char('x');
            store.editDraft(note, typed);
        }
    });
    out << QStringLiteral("edit (keystroke)     %1 us per keystroke   budget 1000 us   ratio %2\n")
               .arg(editMs * 1000 / edits, 0, 'f', 2)
               .arg(editMs / edits, 0, 'f', 4);

    // Saves: in place, then with the first line changing each time (a rename per save).
    // In the notes folder itself, so both pay for the same directory.
    const QString bare = folder + QStringLiteral("/.bare-reference");
    double inPlace = 0, renamed = 0, reference = 0;
    const int saves = qEnvironmentVariableIntValue("QUILLBOX_BENCH_SAVES") > 0
                          ? qEnvironmentVariableIntValue("QUILLBOX_BENCH_SAVES")
                          : 10;
    for (int i = 0; i < saves; ++i) {
        note = store.selectedNote().value_or(store.notes().first());
        text = note.content() + QStringLiteral(" more");
        store.editDraft(note, typed);
        inPlace += msOf([&] { store.saveDraftNow(note.url); });
        reference += bareWriteMs(bare, text.toUtf8());
    }
    for (int i = 0; i < saves; ++i) {
        note = *store.selectedNote();
        text = QStringLiteral("Renamed title %1\n").arg(i) + note.content();
        store.editDraft(note, typed);
        renamed += msOf([&] { store.saveDraftNow(note.url); });
    }
    store.setSaveDelay(0);
    out << QStringLiteral("save in place        %1 ms   bare write + fsync %2 ms   ratio %3\n")
               .arg(inPlace / saves, 0, 'f', 2)
               .arg(reference / saves, 0, 'f', 2)
               .arg(inPlace / reference, 0, 'f', 2);
    out << QStringLiteral("save with rename     %1 ms   bare write + fsync %2 ms   ratio %3\n")
               .arg(renamed / saves, 0, 'f', 2)
               .arg(reference / saves, 0, 'f', 2)
               .arg(renamed / reference, 0, 'f', 2);
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    HistoryBench::run(folder, out);
    DesktopSearchBench::run(store, out);
    out.flush();
    // The window's figures are its own: one store in the process, as in the application.
    owned.reset();
    settle();
    AppBench::run(folder, count, folderMB, {trash, clock, folders}, printer, out);
    StartupBench::run(folder, count, {trash, clock, folders}, printer, out);
    for (const ScriptedAlerts::Shown& alert : std::as_const(alerts.shown))
        std::fprintf(
            stderr, "alert: %s %s\n",
            qPrintable(alert.isError ? FileErrorText::message(alert.error) : alert.message),
            qPrintable(alert.isError ? FileErrorText::reason(alert.error) : alert.informativeText));
    return 0;
}

// Start-up alone, with the notes' data in the page cache and evicted from it.
int runStartup(int argc, char** argv, int count)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const QString folder = notesFolderIn(home);
    const qint64 bytes = NoteGenerator::fill(folder, count);
    FolderAccess::saveBookmark(folder);
    QTextStream out(stdout);
    out << QStringLiteral("== %1 notes, %2 MB ==\n")
               .arg(count)
               .arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
    FreedesktopTrash trash;
    SystemClock clock;
    BookmarkedFolderAccess folders;
    RecordingPrinter printer;
    StartupBench::run(folder, count, {trash, clock, folders}, printer, out);
    return 0;
}

// The editor alone, on a few large notes of its own.
int runEditor(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const QString folder = notesFolderIn(home);
    FolderAccess::saveBookmark(folder);
    QTextStream out(stdout);
    out << QStringLiteral("== editor ==\n");
    EditorBench::run(folder, out);
    return 0;
}

// The desktop's search alone, on count generated notes.
int runDesktopSearch(int argc, char** argv, int count)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const QString folder = notesFolderIn(home);
    NoteGenerator::fill(folder, count);
    FolderAccess::saveBookmark(folder);
    FreedesktopTrash trash;
    SystemClock clock;
    BookmarkedFolderAccess folders;
    NotesStore store(StoreServices{trash, clock, folders});
    settle();
    QTextStream out(stdout);
    out << QStringLiteral("== desktop search, %1 notes ==\n").arg(count);
    DesktopSearchBench::run(store, out);
    return 0;
}

// Each size in a fresh process, so that memory figures are its own.
QList<int> sizesFrom(int argc, char** argv, int first)
{
    QList<int> sizes;
    for (int i = first; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {1000, 10000, 50000, 100000};
    return sizes;
}

int runSizes(const char* program, const QString& mode, const QList<int>& sizes)
{
    for (const int size : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(program), {mode, QString::number(size)});
        child.waitForFinished(-1);
        if (child.exitCode() != 0)
            return child.exitCode();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "--desktop-search")
        return runDesktopSearch(argc, argv, argc > 2 ? QByteArray(argv[2]).toInt() : 100000);
    if (argc == 3 && QByteArray(argv[1]) == "--one")
        return runOne(argc, argv, QByteArray(argv[2]).toInt());
    if (argc == 2 && QByteArray(argv[1]) == "--editor")
        return runEditor(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--start-one")
        return runStartup(argc, argv, QByteArray(argv[2]).toInt());
    // Start-up alone, warm and with the files' data evicted: --cold [sizes].
    if (argc >= 2 && QByteArray(argv[1]) == "--cold")
        return runSizes(argv[0], QStringLiteral("--start-one"), sizesFrom(argc, argv, 2));
    // Slow to generate (minutes): only when asked, e.g. --history 100000.
    if (argc >= 2 && QByteArray(argv[1]) == "--history") {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        return HistoryBench::generated(argc > 2 ? QByteArray(argv[2]).toInt() : 100000, 10, out);
    }

    if (argc == 2 && QByteArray(argv[1]) == "--spelling") {
        QCoreApplication app(argc, argv);
        TestHome home;
        QTextStream out(stdout);
        SpellingBench::run(out);
        return 0;
    }
    if (const int failed = runSizes(argv[0], QStringLiteral("--one"), sizesFrom(argc, argv, 1)))
        return failed;
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedChannels);
    editor.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--editor")});
    editor.waitForFinished(-1);
    return editor.exitCode();
}
