#include "views/note_row_delegate.h"

#include "views/row_text.h"

#include "views/notes_list_model.h"
#include "views/palette_colors.h"

#include <QApplication>
#include <QPainter>

QFont NoteRowDelegate::titleFont(const QFont& base)
{
    QFont font = base;
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont NoteRowDelegate::dateFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() - 1 : 9);
    return font;
}

// The same for every row: the view asks once and never measures a title.
QSize NoteRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int title = QFontMetrics(titleFont(option.font)).height();
    const int date = QFontMetrics(dateFont(option.font)).height();
    return {2 * horizontalPadding, verticalPadding + title + lineGap + date + verticalPadding};
}

void NoteRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor selectionFill = PaletteColors::selection(option.palette, group);
    opt.palette.setColor(group, QPalette::Highlight, selectionFill);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QColor text =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    // The date is quieter than the title, and still reads as text must.
    const QColor secondary = PaletteColors::secondary(
        text, selected ? selectionFill : option.palette.color(group, QPalette::Base),
        selected ? 0.8 : 0.6);

    const QRect content = option.rect.adjusted(horizontalPadding, verticalPadding,
                                               -horizontalPadding, -verticalPadding);
    if (content.width() <= 0)
        return;
    painter->save();
    painter->setClipRect(option.rect);

    const QFont title = titleFont(option.font);
    const QFontMetrics titleMetrics(title);
    const QRect titleArea(content.left(), content.top(), content.width(), titleMetrics.height());
    painter->setPen(text);
    painter->setFont(title);
    painter->drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter,
                      titleMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                              Qt::ElideRight, content.width()));

    const QFont date = dateFont(option.font);
    const QFontMetrics dateMetrics(date);
    QRect dateArea(content.left(), titleArea.bottom() + 1 + lineGap, content.width(),
                   dateMetrics.height());
    const QString dateText = dateMetrics.elidedText(
        index.data(NotesListModel::DateTextRole).toString(), Qt::ElideRight, dateArea.width());
    painter->setPen(secondary);
    painter->setFont(date);
    painter->drawText(dateArea, Qt::AlignLeft | Qt::AlignVCenter, dateText);

    const QString original = index.data(NotesListModel::ConflictOfRole).toString();
    const int badgeLeft = dateArea.left() + dateMetrics.horizontalAdvance(dateText) + badgeGap;
    const int badgeWidth = content.right() + 1 - badgeLeft;
    // A narrow list still says what the row is: the short form before the cut one.
    const int room = badgeWidth - 2 * badgePadding;
    QString badgeText;
    for (const QString& form :
         {RowText::conflictOf(original), tr("Conflict copy"), tr("Conflict")}) {
        badgeText = dateMetrics.elidedText(form, Qt::ElideRight, room);
        if (badgeText == form)
            break;
    }
    if (!original.isEmpty() && !badgeText.isEmpty() &&
        dateMetrics.horizontalAdvance(badgeText) <= room) {
        const QRect badge(badgeLeft, dateArea.top(),
                          dateMetrics.horizontalAdvance(badgeText) + 2 * badgePadding,
                          dateArea.height());
        QColor fill =
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Highlight);
        fill.setAlphaF(0.25);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(badge, 3, 3);
        painter->setPen(text);
        painter->drawText(badge, Qt::AlignCenter, badgeText);
    }
    painter->restore();
}
