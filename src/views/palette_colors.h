#pragma once

#include <QColor>
#include <QPalette>

// Colours that carry a meaning (danger, success) taken so they stay readable on the
// palette in use, light or dark: at least the 4.5:1 contrast WCAG AA asks of text.
class PaletteColors
{
public:
    static constexpr double minimumContrast = 4.5;

    // WCAG 2 contrast ratio, 1 to 21.
    static double contrast(const QColor& a, const QColor& b);
    // hue itself when it reads well on background, else the same hue lightened or darkened
    // just enough.
    static QColor readable(const QColor& hue, const QColor& background);

    // Text of a button whose action forgets or removes something.
    static QColor destructive(const QPalette& palette);
    // Status text on the window: all is well / something is wrong.
    static QColor success(const QPalette& palette);
    static QColor failure(const QPalette& palette);
    // Backgrounds of the lines of a comparison: only in the older text / only in the newer.
    // Washed into the base as strongly as the text on them still reads.
    static QColor removedLine(const QPalette& palette);
    static QColor addedLine(const QPalette& palette);
    // The fill of a selected row: the palette's highlight, darkened or lightened just enough
    // for its highlighted text to read on it.
    static QColor selection(const QPalette& palette, QPalette::ColorGroup group);
    // Secondary text (a row's date): text washed into background by share, or less, so that
    // it still reads there.
    static QColor secondary(const QColor& text, const QColor& background, double share);
    // palette with placeholder text readable on its base. Some desktop themes build a dark
    // palette but leave Qt's default placeholder, dark grey at half opacity: invisible there.
    static QPalette withReadablePlaceholder(QPalette palette);
};
