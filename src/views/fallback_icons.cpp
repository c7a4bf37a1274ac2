#include "views/fallback_icons.h"
#include "build_config.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

using Drawing = void (*)(QPainter&);

QIcon drawn(Drawing draw, const QColor& ink, const QColor& disabledInk = QColor())
{
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        if (mode == QIcon::Disabled && !disabledInk.isValid())
            break;
        for (const int size : {16, 22, 24, 32, 48}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(size / 24.0, size / 24.0);
            QPen pen(mode == QIcon::Normal ? ink : disabledInk, 1.6, Qt::SolidLine, Qt::RoundCap,
                     Qt::RoundJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            draw(painter);
            icon.addPixmap(pixmap, mode);
        }
    }
    return icon;
}

void squareAndPencil(QPainter& p)
{
    QPainterPath square;
    square.moveTo(12, 4);
    square.lineTo(6, 4);
    square.quadTo(4, 4, 4, 6);
    square.lineTo(4, 18);
    square.quadTo(4, 20, 6, 20);
    square.lineTo(18, 20);
    square.quadTo(20, 20, 20, 18);
    square.lineTo(20, 12);
    p.drawPath(square);
    QPainterPath pencil;
    pencil.moveTo(10, 14);
    pencil.lineTo(10.6, 11.4);
    pencil.lineTo(18.2, 3.8);
    pencil.quadTo(19.4, 2.8, 20.4, 3.8);
    pencil.quadTo(21.2, 4.8, 20.2, 5.8);
    pencil.lineTo(12.6, 13.4);
    pencil.closeSubpath();
    p.drawPath(pencil);
}

void trash(QPainter& p)
{
    p.drawLine(QPointF(4, 6.5), QPointF(20, 6.5));
    p.drawLine(QPointF(9.5, 6.5), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(14, 4));
    p.drawLine(QPointF(14, 4), QPointF(14.5, 6.5));
    QPainterPath can;
    can.moveTo(6, 6.5);
    can.lineTo(7, 19);
    can.quadTo(7.2, 20, 8.2, 20);
    can.lineTo(15.8, 20);
    can.quadTo(16.8, 20, 17, 19);
    can.lineTo(18, 6.5);
    p.drawPath(can);
    p.drawLine(QPointF(10, 10), QPointF(10.3, 16.5));
    p.drawLine(QPointF(14, 10), QPointF(13.7, 16.5));
}

void quill(QPainter& p)
{
    p.setBrush(QColor(0xf5, 0xc2, 0x11));
    p.setPen(QPen(QColor(0x6b, 0x4f, 0x00), 1.2));
    QPainterPath page;
    page.addRoundedRect(QRectF(4, 3, 16, 18), 2.5, 2.5);
    p.drawPath(page);
    p.setPen(QPen(QColor(0x6b, 0x4f, 0x00), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : {8.0, 12.0, 16.0})
        p.drawLine(QPointF(7.5, y), QPointF(16.5, y));
}

// Drawn in the palette's own text colour, so they read on a dark toolbar as on a light one.
QIcon themed(const char* name, Drawing fallback, const QPalette& palette)
{
    // The style's own disabled icon greys the ink, which on a dark toolbar stays bright.
    return QIcon::fromTheme(QString::fromLatin1(name),
                            drawn(fallback, palette.color(QPalette::ButtonText),
                                  palette.color(QPalette::Disabled, QPalette::ButtonText)));
}

} // namespace

QIcon FallbackIcons::newNote(const QPalette& palette)
{
    return themed("document-new", squareAndPencil, palette);
}

QIcon FallbackIcons::deleteNote(const QPalette& palette)
{
    return themed("edit-delete", trash, palette);
}

QIcon FallbackIcons::application()
{
    return QIcon::fromTheme(QStringLiteral(QUILLBOX_APP_ID), drawn(quill, Qt::black));
}
