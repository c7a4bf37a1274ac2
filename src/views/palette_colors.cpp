#include "views/palette_colors.h"

#include <QPalette>

#include <cmath>

namespace {

double luminance(const QColor& color)
{
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

const QColor red(0xc0, 0x1c, 0x28);
const QColor green(0x1a, 0x7f, 0x37);

QColor mixed(const QColor& hue, const QColor& base, double share)
{
    return QColor::fromRgbF(float(hue.redF() * share + base.redF() * (1 - share)),
                            float(hue.greenF() * share + base.greenF() * (1 - share)),
                            float(hue.blueF() * share + base.blueF() * (1 - share)));
}

QColor lineBackground(const QColor& hue, const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base).toRgb();
    const QColor text = palette.color(QPalette::Text);
    QColor candidate;
    // Strong enough to tell apart at a glance; never so strong the text stops reading.
    for (int percent = 35; percent >= 10; percent -= 5) {
        candidate = mixed(hue.toRgb(), base, percent / 100.0);
        if (PaletteColors::contrast(text, candidate) >= PaletteColors::minimumContrast)
            break;
    }
    return candidate;
}

} // namespace

double PaletteColors::contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor PaletteColors::readable(const QColor& hue, const QColor& background)
{
    if (contrast(hue, background) >= minimumContrast)
        return hue;
    // Towards whichever of black and white stands further from the background; one of them
    // always reaches the minimum.
    const bool lighten = contrast(Qt::white, background) > contrast(Qt::black, background);
    const QColor hsl = hue.toHsl();
    QColor candidate = hue;
    for (int step = 1; step <= 100; ++step) {
        const double lightness = lighten ? hsl.lightnessF() + (1 - hsl.lightnessF()) * step / 100.0
                                         : hsl.lightnessF() * (1 - step / 100.0);
        candidate = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
        if (contrast(candidate, background) >= minimumContrast)
            break;
    }
    return candidate;
}

QColor PaletteColors::selection(const QPalette& palette, QPalette::ColorGroup group)
{
    // Some themes pair a light highlight with white text (Fusion's blue reads 3.7:1).
    return readable(palette.color(group, QPalette::Highlight),
                    palette.color(group, QPalette::HighlightedText));
}

QColor PaletteColors::secondary(const QColor& text, const QColor& background, double share)
{
    for (;;) {
        const QColor candidate = mixed(text.toRgb(), background.toRgb(), share);
        if (share >= 1 || contrast(candidate, background) >= minimumContrast)
            return candidate;
        share = std::min(1.0, share + 0.05);
    }
}

QPalette PaletteColors::withReadablePlaceholder(QPalette palette)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = palette.color(group, QPalette::Base);
        const QColor placeholder = palette.color(group, QPalette::PlaceholderText);
        // As it shows: blended over the base by its opacity.
        const qreal alpha = placeholder.alphaF();
        const QColor shown =
            QColor::fromRgbF(float(placeholder.redF() * alpha + base.redF() * (1 - alpha)),
                             float(placeholder.greenF() * alpha + base.greenF() * (1 - alpha)),
                             float(placeholder.blueF() * alpha + base.blueF() * (1 - alpha)));
        palette.setColor(group, QPalette::PlaceholderText, readable(shown, base));
    }
    return palette;
}

QColor PaletteColors::destructive(const QPalette& palette)
{
    return readable(red, palette.color(QPalette::Button));
}

QColor PaletteColors::success(const QPalette& palette)
{
    return readable(green, palette.color(QPalette::Window));
}

QColor PaletteColors::failure(const QPalette& palette)
{
    return readable(red, palette.color(QPalette::Window));
}

QColor PaletteColors::removedLine(const QPalette& palette)
{
    return lineBackground(red, palette);
}

QColor PaletteColors::addedLine(const QPalette& palette)
{
    return lineBackground(green, palette);
}
