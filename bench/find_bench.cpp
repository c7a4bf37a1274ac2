#include "find_bench.h"
#include "bench_timing.h"

#include "views/content_view.h"
#include "views/find_bar.h"
#include "views/note_editor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace BenchTiming;

} // namespace

void FindBench::run(ContentView& window, QTextStream& out)
{
    QPlainTextEdit* edit = window.editor()->textEdit();
    FindBar* bar = window.editor()->findBar();
    const QString query = QStringLiteral("ORDINARY");
    // Each step until the editor has painted the match it moved to.
    const auto step = [&] {
        bar->findNext();
        QCoreApplication::processEvents();
        edit->viewport()->repaint();
    };
    edit->moveCursor(QTextCursor::Start);
    bar->findField()->setText(query);
    const double first = msOf(step);
    std::vector<double> steps;
    for (int i = 0; i < 15; ++i)
        steps.push_back(msOf(step));
    std::sort(steps.begin(), steps.end());
    const double median = steps[steps.size() / 2];
    // What a find that scanned the text on every step would cost to say "n of m".
    const QString text = edit->toPlainText();
    qsizetype count = 0;
    const double scan = msOf([&] {
        for (qsizetype at = text.indexOf(query, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(query, at + query.size(), Qt::CaseInsensitive))
            ++count;
    });
    bar->close();
    out << QStringLiteral("find-next, 10 MB note median %1 ms (first, reading the note, %2 ms)   "
                          "counting its %3 matches with QString::indexOf %4 ms   frame 16 ms   "
                          "ratio %5  (target <= 1)\n")
               .arg(median, 0, 'f', 2)
               .arg(first, 0, 'f', 1)
               .arg(count)
               .arg(scan, 0, 'f', 1)
               .arg(median / 16, 0, 'f', 2);
}
