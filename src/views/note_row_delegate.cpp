#include "note_row_delegate.h"

#include "notes_list_model.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

namespace {

constexpr int titleFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

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

QRect NoteRowDelegate::titleRect(const QStyleOptionViewItem& option, const QString& title) const
{
    // A size is asked for before the row has a place: the list's width is what wraps it.
    int available = option.rect.width();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        view && available <= 0)
        available = view->viewport()->width();
    const int width = qMax(40, available - 2 * horizontalPadding);
    const QFontMetrics metrics(titleFont(option.font));
    return metrics.boundingRect(QRect(0, 0, width, 100000), titleFlags,
                                title.isEmpty() ? QStringLiteral(" ") : title);
}

QSize NoteRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect title = titleRect(option, index.data(Qt::DisplayRole).toString());
    const int dateHeight = QFontMetrics(dateFont(option.font)).height();
    return {titleRect(option, QString()).width() + 2 * horizontalPadding,
            verticalPadding + title.height() + lineGap + dateHeight + verticalPadding};
}

void NoteRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor text =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor secondary = text;
    secondary.setAlphaF(selected ? 0.8 : 0.6);

    const QString title = index.data(Qt::DisplayRole).toString();
    QRect titleArea = titleRect(option, title);
    titleArea.moveTopLeft(option.rect.topLeft() + QPoint(horizontalPadding, verticalPadding));
    painter->save();
    painter->setPen(text);
    painter->setFont(titleFont(option.font));
    painter->drawText(titleArea, titleFlags, title);

    const QFont date = dateFont(option.font);
    const QRect dateArea(titleArea.left(), titleArea.bottom() + 1 + lineGap,
                         option.rect.width() - 2 * horizontalPadding, QFontMetrics(date).height());
    painter->setPen(secondary);
    painter->setFont(date);
    painter->drawText(dateArea, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(NotesListModel::DateTextRole).toString());
    painter->restore();
}
