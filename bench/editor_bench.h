#pragma once

#include <QTextStream>

// The editor with Markdown highlighting and spelling on, each time beside the same with both
// off, in the same run: opening a 1 MB note, a keystroke and a page of scrolling in a 10 MB one.
namespace EditorBench {
// Needs HOME and the XDG folders in a temporary folder.
void run(const QString& folder, QTextStream& out);
} // namespace EditorBench
