#include "editor_bench.h"

#include "folder/bookmarked_folder_access.h"
#include "store/clock.h"
#include "store/freedesktop_trash.h"
#include "store/notes_store.h"
#include "store/spell_checker.h"
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
#include <QSet>
#include <QTextBlock>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// Stands for a dictionary: one hash lookup per word.
class HashSpellChecker final : public SpellChecker
{
public:
    HashSpellChecker()
    {
        for (const char* word : {"the", "note", "line", "with", "some", "ordinary", "words", "in",
                                 "it", "a", "and", "see", "code", "list", "item", "heading"})
            m_words.insert(QString::fromLatin1(word));
    }
    QList<Misspelling> misspellings(QStringView text) const override
    {
        QList<Misspelling> found;
        qsizetype start = -1;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool letter = i < text.size() && text[i].isLetter();
            if (letter && start < 0)
                start = i;
            if (!letter && start >= 0) {
                if (!m_words.contains(text.sliced(start, i - start).toString().toLower()))
                    found.append({start, i - start});
                start = -1;
            }
        }
        return found;
    }

private:
    QSet<QString> m_words;
};

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Until what changed is on screen.
void settleAndPaint(QWidget* widget)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    widget->repaint();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    HashSpellChecker spelling;
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

    double open[2], keystroke[2], scroll[2];
    for (const bool on : {false, true}) {
        setHighlighting(on);
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            select(QStringLiteral("Small.md"));
            settleAndPaint(edit->viewport());
            QElapsedTimer timer;
            timer.start();
            select(QStringLiteral("Medium.md"));
            settleAndPaint(edit->viewport());
            times.push_back(elapsedMs(timer));
        }
        open[on] = median(times);

        select(QStringLiteral("Big.md"));
        settleAndPaint(edit->viewport());
        // In the middle of the note, among lines shown for the first time.
        const int middle = edit->document()->blockCount() / (on ? 2 : 3);
        edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(middle)));
        edit->centerCursor();
        settleAndPaint(edit->viewport());
        times.clear();
        for (int i = 0; i < 15; ++i) {
            QElapsedTimer timer;
            timer.start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QApplication::sendEvent(edit, &press);
            QApplication::sendEvent(edit, &release);
            settleAndPaint(edit->viewport());
            times.push_back(elapsedMs(timer));
        }
        keystroke[on] = median(times);

        times.clear();
        QScrollBar* bar = edit->verticalScrollBar();
        for (int i = 0; i < 15; ++i) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(bar->value() + bar->pageStep());
            settleAndPaint(edit->viewport());
            times.push_back(elapsedMs(timer));
        }
        scroll[on] = median(times);
    }
    out << QStringLiteral("open 1 MB note, Markdown + spelling %1 ms   without %2 ms   limit "
                          "100 ms   ratio %3  (target <= 1)\n")
               .arg(open[1], 0, 'f', 1)
               .arg(open[0], 0, 'f', 1)
               .arg(open[1] / 100, 0, 'f', 2);
    out << QStringLiteral("keystroke, 10 MB note, Markdown + spelling %1 ms   without %2 ms   "
                          "frame 16 ms   ratio %3  (target <= 1)\n")
               .arg(keystroke[1], 0, 'f', 2)
               .arg(keystroke[0], 0, 'f', 2)
               .arg(keystroke[1] / 16, 0, 'f', 2);
    out << QStringLiteral("page scroll, 10 MB note, Markdown + spelling %1 ms   without %2 ms   "
                          "frame 16 ms   ratio %3  (target <= 1)\n")
               .arg(scroll[1], 0, 'f', 2)
               .arg(scroll[0], 0, 'f', 2)
               .arg(scroll[1] / 16, 0, 'f', 2);
}
