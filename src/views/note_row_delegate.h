#pragma once

#include <QStyledItemDelegate>

// One sidebar row: the title in semibold, wrapped when long, over the date line in the
// secondary colour, 10 px above and below.
class NoteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int verticalPadding = 10;
    static constexpr int horizontalPadding = 8;
    static constexpr int lineGap = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QFont titleFont(const QFont& base);
    static QFont dateFont(const QFont& base);

private:
    QRect titleRect(const QStyleOptionViewItem& option, const QString& title) const;
};
