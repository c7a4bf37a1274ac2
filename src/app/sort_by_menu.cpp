#include "app/sort_by_menu.h"

#include "folder/app_settings.h"
#include "store/notes_store.h"

#include <QActionGroup>
#include <QMenu>

namespace {

const QString titleValue = QStringLiteral("title");
const QString dateValue = QStringLiteral("date");

} // namespace

SortByMenu::SortByMenu(QMenu& view, NotesStore& store, QObject* parent) : QObject(parent)
{
    QMenu* menu = view.addMenu(tr("Sort &By"));
    m_byDate = menu->addAction(tr("&Date Modified"));
    m_byTitle = menu->addAction(tr("&Title"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (QAction* action : {m_byDate, m_byTitle}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    // Anything else remembered there (a later version's order) leaves the default.
    using Order = NotesStore::SortOrder;
    if (AppSettings::value(settingsKey).toString() == titleValue)
        store.setSortOrder(Order::Title);
    const auto follow = [this, &store] {
        (store.sortOrder() == Order::Title ? m_byTitle : m_byDate)->setChecked(true);
    };
    connect(&store, &NotesStore::sortOrderChanged, this, follow);
    follow();
    const auto choose = [&store](Order order) {
        store.setSortOrder(order);
        // Not remembered is no reason to refuse the order for now.
        AppSettings::setValue(settingsKey, order == Order::Title ? titleValue : dateValue);
    };
    connect(m_byDate, &QAction::triggered, this, [choose] { choose(Order::DateModified); });
    connect(m_byTitle, &QAction::triggered, this, [choose] { choose(Order::Title); });
}
