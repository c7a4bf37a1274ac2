#pragma once

#include <QElapsedTimer>
#include <functional>

class QWidget;

// The clocks every bench reads the same way.
namespace BenchTiming {
double elapsedMs(const QElapsedTimer& timer);
double msOf(const std::function<void()>& work);
// Runs events until done() holds (a minute at most); returns the longest the event loop went
// without turning.
double runUntil(const std::function<bool()>& done);
// Until what the events asked for is painted on widget.
double settleAndPaint(QWidget* widget);
} // namespace BenchTiming
