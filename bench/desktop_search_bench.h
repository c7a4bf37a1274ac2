#pragma once

#include <QTextStream>

class NotesStore;

// GNOME Shell's question to the search provider, over a session bus, as the shell asks it (the
// matching notes, then their titles and dates), beside the store's own scan for the same query.
namespace DesktopSearchBench {
void run(NotesStore& store, QTextStream& out);
}
