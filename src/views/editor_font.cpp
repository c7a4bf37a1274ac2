#include "views/editor_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

QFont EditorFont::fixed(qreal points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return monospaced(font);
}

QFont EditorFont::monospaced(const QFont& candidate)
{
    if (QFontInfo(candidate).fixedPitch())
        return candidate;
    QFont font = candidate;
    font.setFamilies(QStringList{QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}
