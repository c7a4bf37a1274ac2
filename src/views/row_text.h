#pragma once

#include "store/note.h"

#include <QDateTime>
#include <QString>

// What a row of the notes list says: on screen, in its tooltip, and to a screen reader.
namespace RowText {

// The locale's date without the weekday, with the month abbreviated, then its short time, in
// local time: "Mar 14, 2026 9:26 AM" in English, "14. März 2026 09:26" in German.
QString date(const QDateTime& when);
QString conflictOf(const QString& original);
// The base name of the note a conflict copy belongs to; empty for other notes.
QString originalOf(const Note& note);
// All that the row shows, in reading order.
QString spoken(const Note& note);

} // namespace RowText
