#pragma once

#include <QFont>

// The monospaced face notes are edited and printed in. The desktop's "fixed" font is not
// always fixed-pitch (some systems name a proportional face there).
class EditorFont
{
public:
    // The system fixed font at points, or the "monospace" family when it is not fixed-pitch.
    static QFont fixed(qreal points);
    // candidate when it is fixed-pitch, otherwise "monospace" at its size and weight.
    static QFont monospaced(const QFont& candidate);
};
