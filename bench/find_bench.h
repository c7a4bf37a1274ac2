#pragma once

#include <QTextStream>

class ContentView;

// Find-next in the note the window shows (a big one), beside a plain scan of its text.
namespace FindBench {
void run(ContentView& window, QTextStream& out);
}
