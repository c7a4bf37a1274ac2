#pragma once

#include <QStyledItemDelegate>

// One sidebar row: the title in semibold on one line, cut with "…" at the row's width, over
// the date line in the secondary colour, 10 px above and below. Every row has the same
// height, so the list never measures its rows; a conflict copy carries a badge that names its
// note after the date.
class NoteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int verticalPadding = 10;
    static constexpr int horizontalPadding = 8;
    static constexpr int lineGap = 2;
    static constexpr int badgeGap = 6;
    static constexpr int badgePadding = 4;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QFont titleFont(const QFont& base);
    static QFont dateFont(const QFont& base);
};
