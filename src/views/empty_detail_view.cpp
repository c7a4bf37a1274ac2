#include "empty_detail_view.h"

EmptyDetailView::EmptyDetailView(QWidget* parent) : QLabel(tr("No note selected"), parent)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::PlaceholderText);
}
