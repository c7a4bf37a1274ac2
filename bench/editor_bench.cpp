#include "editor_bench.h"
#include "bench_timing.h"

#include "folder/bookmarked_folder_access.h"
#include "store/clock.h"
#include "store/enchant_spell_checker.h"
#include "store/freedesktop_trash.h"
#include "store/notes_store.h"
#include "test_support.h"
#include "views/content_view.h"
#include "views/markdown_highlighter.h"
#include "views/note_editor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using namespace BenchTiming;

// The window thread's own time: on a machine shared with other work the wall clock also
// counts the turns other processes had.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
};

Timing measured(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        work();
        cpus.push_back(threadCpuMs() - cpu);
        walls.push_back(elapsedMs(timer));
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

QByteArray markdown(qsizetype bytes)
{
    const QByteArray block = "## A heading with *some* words\n"
                             "Ordinary line with some **ordinary** words and `code` in it\n"
                             "- a list item with a [link](https://example.org/a) and [[A note]]\n"
                             "> a quote with tehh words, see https://example.org/b\n"
                             "```\n"
                             "code line *not emphasis*\n"
                             "```\n"
                             "\n";
    return "Big\n" + block.repeated(bytes / block.size());
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

void EditorBench::run(const QString& folder, QTextStream& out)
{
    write(folder + QStringLiteral("/Big.md"), markdown(10 * 1024 * 1024));
    write(folder + QStringLiteral("/Medium.md"), markdown(1024 * 1024));
    write(folder + QStringLiteral("/Small.md"), "Small\n");
    FreedesktopTrash trash;
    SystemClock clock;
    BookmarkedFolderAccess folders;
    RecordingPrinter printer;
    NotesStore store({trash, clock, folders});
    store.setSaveDelay(600000);
    ContentView window(store, printer);
    window.resize(1000, 800);
    window.show();
    store.loadNotes();
    settle();
    QPlainTextEdit* edit = window.editor()->textEdit();
    MarkdownHighlighter* highlighter = window.editor()->highlighter();
    // The user's dictionary, as the window has it: en_US, which the tests install too.
    const EnchantSpellChecker spelling(QStringLiteral("en_US"));
    const auto select = [&](const QString& name) {
        for (const Note& note : store.notes()) {
            if (note.url.endsWith(QLatin1Char('/') + name))
                store.setSelectedNote(note);
        }
    };
    const auto setHighlighting = [&](bool on) {
        highlighter->setEnabled(on);
        highlighter->setSpellChecker(on ? &spelling : nullptr);
    };

    Timing open[2], keystroke[2], scroll[2];
    for (const bool on : {false, true}) {
        setHighlighting(on);
        open[on] = measured(
            5,
            [&] {
                select(QStringLiteral("Small.md"));
                settleAndPaint(edit->viewport());
            },
            [&] {
                select(QStringLiteral("Medium.md"));
                settleAndPaint(edit->viewport());
            });

        select(QStringLiteral("Big.md"));
        settleAndPaint(edit->viewport());
        // In the middle of the note, among lines shown for the first time.
        const int middle = edit->document()->blockCount() / (on ? 2 : 3);
        edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(middle)));
        edit->centerCursor();
        settleAndPaint(edit->viewport());
        keystroke[on] = measured(
            15, [] {},
            [&] {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier,
                                  QStringLiteral("x"));
                QApplication::sendEvent(edit, &press);
                QApplication::sendEvent(edit, &release);
                settleAndPaint(edit->viewport());
            });
        QScrollBar* bar = edit->verticalScrollBar();
        scroll[on] = measured(
            15, [] {},
            [&] {
                bar->setValue(bar->value() + bar->pageStep());
                settleAndPaint(edit->viewport());
            });
    }
    const auto row = [&](const QString& what, const Timing(&timing)[2], double limit) {
        out << QStringLiteral("%1, Markdown + spelling %2 ms (CPU %3)   without %4 ms (CPU %5)   "
                              "limit %6 ms   ratio %7  (target <= 1)\n")
                   .arg(what)
                   .arg(timing[1].wall, 0, 'f', 1)
                   .arg(timing[1].cpu, 0, 'f', 1)
                   .arg(timing[0].wall, 0, 'f', 1)
                   .arg(timing[0].cpu, 0, 'f', 1)
                   .arg(limit)
                   .arg(timing[1].wall / limit, 0, 'f', 2);
    };
    row(QStringLiteral("open 1 MB note"), open, 100);
    row(QStringLiteral("keystroke, 10 MB note"), keystroke, 16);
    row(QStringLiteral("page scroll, 10 MB note"), scroll, 16);
}
