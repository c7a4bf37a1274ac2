#include "app/shortcuts_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// "&Find…" reads "Find…"; "&&" is a literal ampersand.
QString withoutMnemonic(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&')
            text.remove(i, 1);
    }
    return text;
}

void collect(const QList<QAction*>& actions, QList<const QAction*>& into)
{
    for (const QAction* action : actions) {
        if (into.contains(action))
            continue;
        if (action->menu())
            collect(action->menu()->actions(), into);
        else if (!action->shortcuts().isEmpty() && !action->text().isEmpty())
            into.append(action);
    }
}

} // namespace

QList<QPair<QString, QString>> ShortcutsDialog::shortcutsOf(const QWidget& window)
{
    QList<const QAction*> actions;
    // The menus first, in their order; then commands that live on a control of the window.
    if (auto* bar = window.findChild<QMenuBar*>())
        collect(bar->actions(), actions);
    QList<QAction*> rest;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (!qobject_cast<QMenu*>(action->parent()))
            rest.append(action);
    }
    collect(rest, actions);
    QList<QPair<QString, QString>> rows;
    for (const QAction* action : std::as_const(actions)) {
        QStringList keys;
        for (const QKeySequence& sequence : action->shortcuts())
            keys.append(sequence.toString(QKeySequence::NativeText));
        rows.append({withoutMnemonic(action->text()), keys.join(tr(", "))});
    }
    return rows;
}

ShortcutsDialog::ShortcutsDialog(QWidget& window)
    : QDialog(&window), m_filter(new QLineEdit(this)), m_table(new QTableWidget(this))
{
    setWindowTitle(tr("Keyboard Shortcuts"));
    setObjectName(QStringLiteral("keyboardShortcuts"));
    m_filter->setPlaceholderText(tr("Search Shortcuts"));
    m_filter->setAccessibleName(tr("Search Shortcuts"));
    m_filter->setClearButtonEnabled(true);
    const QList<QPair<QString, QString>> rows = shortcutsOf(window);
    m_table->setColumnCount(2);
    m_table->setRowCount(int(rows.size()));
    m_table->setHorizontalHeaderLabels({tr("Command"), tr("Shortcut")});
    m_table->setAccessibleName(tr("Keyboard Shortcuts"));
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    for (int row = 0; row < rows.size(); ++row) {
        m_table->setItem(row, 0, new QTableWidgetItem(rows.at(row).first));
        m_table->setItem(row, 1, new QTableWidgetItem(rows.at(row).second));
    }
    m_table->resizeColumnToContents(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    connect(m_filter, &QLineEdit::textChanged, this, &ShortcutsDialog::narrow);
    resize(460, 520);
}

void ShortcutsDialog::narrow(const QString& text)
{
    const QString wanted = text.trimmed();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const bool shown = wanted.isEmpty() ||
                           m_table->item(row, 0)->text().contains(wanted, Qt::CaseInsensitive) ||
                           m_table->item(row, 1)->text().contains(wanted, Qt::CaseInsensitive);
        m_table->setRowHidden(row, !shown);
    }
}
