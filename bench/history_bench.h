#pragma once

#include <QTextStream>

// The history of the notes: keeping a version, as the worker and as the window thread see it,
// and reading a long history; on request, the room a year of history takes.
namespace HistoryBench {
// Needs HOME and XDG_STATE_HOME in a temporary folder.
void run(const QString& folder, QTextStream& out);
// notes x versions generated straight into a database; prints its size beside the texts'.
int generated(int notes, int versions, QTextStream& out);
} // namespace HistoryBench
