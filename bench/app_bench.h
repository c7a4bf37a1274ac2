#pragma once

#include <QTextStream>

class PrintService;
struct StoreServices;

// The paths a user waits on, measured through the real window: start-up to a filled list, a
// refresh with nothing changed, a keystroke in the search field, a keystroke in a big note.
namespace AppBench {
void run(const QString& folder, int count, double folderMB, StoreServices services,
         PrintService& printer, QTextStream& out);
// Resident memory of this process.
double residentMB();
} // namespace AppBench
