#include "views/empty_detail_view.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EmptyDetailView::EmptyDetailView(QWidget* parent)
    : QWidget(parent), m_label(new QLabel(this)), m_choose(new QPushButton(this))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    m_label->setObjectName(QStringLiteral("emptyDetail"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setForegroundRole(QPalette::PlaceholderText);
    m_label->setText(tr("No note selected"));
    m_choose->setText(tr("Choose Notes Folder…"));
    m_choose->setAutoDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_label);
    layout->addWidget(m_choose, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(m_choose, &QPushButton::clicked, this, &EmptyDetailView::chooseFolderRequested);
    setNeedsFolder(false);
}

void EmptyDetailView::setNeedsFolder(bool needsFolder)
{
    m_choose->setVisible(needsFolder);
}
