#pragma once

#include <QString>

class QPrinter;
class QTextDocument;

// A note as it prints: a semibold fixed-width title line, then the body in a smaller
// fixed-width face, wrapped to the printable width.
class NoteDocument
{
public:
    static constexpr qreal titlePoints = 14;
    static constexpr qreal bodyPoints = 12;
    static constexpr qreal paragraphSpacingPoints = 6;
    static constexpr qreal insetPoints = 8;

    // Margins are given in points and laid out at pixelsPerPoint layout units each.
    static void build(QTextDocument& document, const QString& title, const QString& body,
                      qreal pixelsPerPoint);
    static void print(QPrinter& printer, const QString& title, const QString& body);
};
