#pragma once

#include <QRandomGenerator>
#include <QString>

// Fills a folder with notes that look like real ones: a title line, then paragraphs of
// ordinary words with some accented and non-Latin ones, about 2 KB each.
class NoteGenerator
{
public:
    // Returns the total size in bytes of the files written.
    static qint64 fill(const QString& folder, int count);
    // A title line and paragraphs, at least minLength characters.
    static QString text(QRandomGenerator& random, int minLength);
    // One sentence of length words, with its full stop.
    static QString sentence(QRandomGenerator& random, int length);
};
