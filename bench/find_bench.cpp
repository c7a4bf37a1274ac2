#include "find_bench.h"

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

double msOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

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
    // What a find that scans the text costs: the whole of it, as a query found nowhere does.
    const QString text = edit->toPlainText();
    const double scan = msOf([&] { (void)text.indexOf(u"absent", 0, Qt::CaseInsensitive); });
    bar->close();
    out << QStringLiteral("find-next, 10 MB note median %1 ms (first, reading the note, %2 ms)   "
                          "QString::indexOf of the whole text %3 ms   frame 16 ms   ratio %4  "
                          "(target <= 1)\n")
               .arg(median, 0, 'f', 2)
               .arg(first, 0, 'f', 1)
               .arg(scan, 0, 'f', 1)
               .arg(median / 16, 0, 'f', 2);
}
