#pragma once

#include <QString>

// Fills a folder with notes that look like real ones: a title line, then paragraphs of
// ordinary words with some accented and non-Latin ones, about 2 KB each.
class NoteGenerator
{
public:
    // Returns the total size in bytes of the files written.
    static qint64 fill(const QString& folder, int count);
};
