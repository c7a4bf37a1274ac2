#include "views/notes_column.h"

#include "store/naming.h"
#include "store/notes_store.h"

#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

#include <cerrno>

NotesColumn::NotesColumn(NotesStore& store, QListView* list, QWidget* parent)
    : QWidget(parent), m_store(store), m_folderLine(new QLabel(this))
{
    setMinimumWidth(list->minimumWidth());
    setMaximumWidth(list->maximumWidth());
    m_folderLine->setObjectName(QStringLiteral("folderLine"));
    m_folderLine->setWordWrap(true);
    m_folderLine->setContentsMargins(8, 6, 8, 6);
    m_folderLine->setAutoFillBackground(true);
    m_folderLine->setBackgroundRole(QPalette::ToolTipBase);
    m_folderLine->setForegroundRole(QPalette::ToolTipText);
    m_folderLine->hide();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_folderLine);
    column->addWidget(list, 1);
    connect(&m_store, &NotesStore::folderProblem, this, &NotesColumn::showProblem);
    connect(&m_store, &NotesStore::loadFinished, this, &NotesColumn::followFolder);
    connect(&m_store, &NotesStore::folderURLChanged, m_folderLine, &QWidget::hide);
}

void NotesColumn::showProblem(const FileError& problem)
{
    if (problem.kind != FileError::Kind::FolderNotOpened ||
        (problem.code != ENOENT && problem.code != ENOTDIR))
        return;
    m_folderLine->setText(tr("The notes folder “%1” can’t be found. Reconnect it, or choose "
                             "another folder in Preferences.")
                              .arg(Naming::fileName(problem.path)));
    m_folderLine->setToolTip(problem.path);
    m_folderLine->show();
}

// The store tells a folder problem once, not that it is over: a load that finds the folder
// again reads it.
void NotesColumn::followFolder()
{
    if (!m_folderLine->isHidden() && QFileInfo(m_store.folderURL()).isDir())
        m_folderLine->hide();
}
