#include "views/empty_detail_view.h"

#include "folder/folder_access.h"
#include "folder/folder_preferences.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EmptyDetailView::EmptyDetailView(QWidget* parent)
    : QWidget(parent), m_label(new QLabel(this)), m_welcome(new QLabel(this)),
      m_choose(new QPushButton(this))
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    m_label->setObjectName(QStringLiteral("emptyDetail"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setForegroundRole(QPalette::PlaceholderText);
    m_label->setText(tr("No note selected"));
    m_welcome->setObjectName(QStringLiteral("welcome"));
    m_welcome->setAlignment(Qt::AlignCenter);
    m_welcome->setWordWrap(true);
    m_welcome->setTextFormat(Qt::RichText);
    m_welcome->setMaximumWidth(460);
    m_welcome->setText(
        QStringLiteral("<h2>%1</h2><p>%2</p><p>%3</p>")
            .arg(tr("Welcome to Quillbox").toHtmlEscaped(),
                 tr("Quillbox keeps each note as a plain text file in one folder, your notes "
                    "folder. Any editor can open them, and any sync tool can carry them.")
                     .toHtmlEscaped(),
                 // The path is not broken at its slashes.
                 tr("Choose that folder next. Without one yet, %1 is a good place: Preferences ▸ "
                    "Use Default makes it for you.")
                     .toHtmlEscaped()
                     .arg(QStringLiteral("<nobr>%1</nobr>")
                              .arg(FolderPreferences::displayPath(FolderAccess::defaultFolderURL(),
                                                                  QDir::homePath())
                                       .toHtmlEscaped()))));
    m_choose->setText(tr("Choose Notes Folder…"));
    m_choose->setAutoDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_welcome, 0, Qt::AlignHCenter);
    layout->addWidget(m_label);
    layout->addWidget(m_choose, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(m_choose, &QPushButton::clicked, this, &EmptyDetailView::chooseFolderRequested);
    setNeedsFolder(false);
}

void EmptyDetailView::setNeedsFolder(bool needsFolder)
{
    m_choose->setVisible(needsFolder);
    m_welcome->setVisible(needsFolder);
    m_label->setVisible(!needsFolder);
}
