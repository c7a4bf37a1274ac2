#pragma once

#include <QTextStream>

// What spell checking costs the window: opening the dictionary, and checking a screen of
// prose the first time and again.
namespace SpellingBench {
// Needs HOME and XDG_CONFIG_HOME in a temporary folder.
void run(QTextStream& out);
} // namespace SpellingBench
