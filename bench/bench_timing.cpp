#include "bench_timing.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace BenchTiming {

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double msOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return elapsedMs(timer);
}

double runUntil(const std::function<bool()>& done)
{
    QElapsedTimer gap;
    gap.start();
    QElapsedTimer limit;
    limit.start();
    double longest = 0;
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, elapsedMs(gap));
        gap.restart();
        if (!done())
            QThread::usleep(200);
        if (limit.elapsed() > 60000) {
            std::fprintf(stderr, "gave up waiting\n");
            break;
        }
    }
    return longest;
}

double settleAndPaint(QWidget* widget)
{
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    widget->repaint();
    return elapsedMs(timer);
}

} // namespace BenchTiming
