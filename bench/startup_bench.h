#pragma once

#include <QTextStream>

class PrintService;
struct StoreServices;

// Start-up as the user waits on it, with the notes' data in the page cache and evicted from it
// (posix_fadvise DONTNEED on every file; the folder's entries and the files' metadata stay
// cached, so a real reboot is slower still): the list on screen, the first note's text, and
// every text read, each beside cat of the same folder in the same state.
namespace StartupBench {
void run(const QString& folder, int count, StoreServices services, PrintService& printer,
         QTextStream& out);
} // namespace StartupBench
