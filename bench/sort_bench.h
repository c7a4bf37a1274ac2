#pragma once

#include <QTextStream>

class ContentView;
class NotesStore;

// Search-or-create's Enter to the note it shows, and switching the list to title order,
// through the real window.
namespace SortBench {
void run(NotesStore& store, ContentView& window, QTextStream& out);
} // namespace SortBench
