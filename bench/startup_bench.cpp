#include "startup_bench.h"

#include "app_bench.h"
#include "bench_timing.h"

#include "store/note_loader.h"

#include "store/notes_store.h"
#include "store/store_services.h"
#include "views/content_view.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>

#include <algorithm>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace BenchTiming;

// Drops the files' data from the page cache; their metadata stays.
void evict(const QString& folder)
{
    ::sync();
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files);
    for (const QString& name : names) {
        const int fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + name).constData(),
                              O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

double catMs(const QString& folder)
{
    const QString command =
        QStringLiteral("find '%1' -maxdepth 1 -name '*.md' -print0 | xargs -0 cat > /dev/null")
            .arg(folder);
    return msOf([&] { QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}); });
}

struct Start
{
    double listed = 0;    // every row on screen
    double firstText = 0; // the selected note's text in the editor, after the list
    double allRead = 0;   // every text read
    double blocked = 0;   // the longest the window's thread was held while reading
    double residentMB = 0;
};

Start start(int count, StoreServices services, PrintService& printer)
{
    Start result;
    QElapsedTimer timer;
    timer.start();
    NotesStore store(services);
    ContentView window(store, printer);
    window.show();
    runUntil([&] { return window.notesModel()->rowCount() == count; });
    result.listed = elapsedMs(timer);
    runUntil([&] { return !window.editor()->textEdit()->document()->isEmpty(); });
    result.firstText = elapsedMs(timer) - result.listed;
    result.blocked = runUntil([&] { return !store.readingTexts(); });
    result.allRead = elapsedMs(timer);
    result.residentMB = AppBench::residentMB();
    return result;
}

QString row(const QString& state, const Start& s, double cat)
{
    return QStringLiteral("start-up, %1  list %2 ms (target <= 500)   first text +%3 ms (target "
                          "<= 50)   all read %4 ms   cat %5 ms   ratio %6 (target <= 1.1)   "
                          "window held at most %7 ms while reading (target <= 16)   RSS %8 MB\n")
        .arg(state, -9)
        .arg(s.listed, 0, 'f', 0)
        .arg(s.firstText, 0, 'f', 1)
        .arg(s.allRead, 0, 'f', 0)
        .arg(cat, 0, 'f', 0)
        .arg(s.allRead / cat, 0, 'f', 2)
        .arg(s.blocked, 0, 'f', 1)
        .arg(s.residentMB, 0, 'f', 0);
}

} // namespace

void StartupBench::run(const QString& folder, int count, StoreServices services,
                       PrintService& printer, QTextStream& out)
{
    catMs(folder);
    const double warmCat = std::min(catMs(folder), catMs(folder));
    const Start warm = start(count, services, printer);
    out << row(QStringLiteral("warm"), warm, warmCat);
    evict(folder);
    const double coldCat = catMs(folder);
    evict(folder);
    const Start cold = start(count, services, printer);
    out << row(QStringLiteral("data-cold"), cold, coldCat);

    // A note chosen before its turn is read at once: one large note, read as the store reads
    // it (decoded and folded for search), beside reading its bytes alone.
    const QString big = folder + QStringLiteral("/.big");
    QDir().mkpath(big);
    QFile file(big + QStringLiteral("/Big.md"));
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray line("A line of a long note, with a few words to fold and search.\n");
        for (qsizetype written = 0; written < 1024 * 1024; written += line.size())
            file.write(line);
        file.close();
    }
    const auto best = [](const std::function<void()>& work) {
        double least = 1e300;
        for (int i = 0; i < 5; ++i)
            least = std::min(least, msOf(work));
        return least;
    };
    const double now = best([&] { NoteLoader::readTexts(big, {QByteArray("Big.md")}); });
    const double bytes = best([&] {
        QFile again(file.fileName());
        if (again.open(QIODevice::ReadOnly))
            again.readAll();
    });
    out << QStringLiteral("a 1 MB note read before its turn   %1 ms (target <= 10)   its bytes "
                          "alone %2 ms\n")
               .arg(now, 0, 'f', 2)
               .arg(bytes, 0, 'f', 2);
    out.flush();
}
