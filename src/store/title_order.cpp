#include "store/title_order.h"

#include "store/note_list.h"

#include <QCollator>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <algorithm>
#include <numeric>

namespace {

QCollator collatorFor(const QLocale& locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

TitleOrder::TitleOrder(const NoteList& list, QObject* parent) : QObject(parent), m_list(list) {}

// One sort key per note, made once: comparing keys is a byte comparison, where comparing
// titles through the collator would convert both titles at every step of the sort.
std::vector<qsizetype> TitleOrder::sorted(const QList<Note>& notes, const QLocale& locale)
{
    const QCollator collator = collatorFor(locale);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(notes.size()));
    for (const Note& note : notes)
        keys.push_back(collator.sortKey(note.title));
    std::vector<qsizetype> order(size_t(notes.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });
    return order;
}

const std::vector<qsizetype>* TitleOrder::positions()
{
    if (m_generation == m_list.generation())
        return &m_order;
    if (m_list.notes().size() < backgroundThreshold) {
        m_order = sorted(m_list.notes(), QLocale());
        m_generation = m_list.generation();
        return &m_order;
    }
    if (m_running)
        return nullptr;
    m_running = true;
    // The sort reads its own share of the records; the list may change meanwhile, and the
    // result is then made again for the list as it is by then.
    auto* watcher = new QFutureWatcher<std::vector<qsizetype>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, generation = m_list.generation()] {
                watcher->deleteLater();
                m_running = false;
                m_order = watcher->result();
                m_generation = generation;
                emit finished();
            });
    watcher->setFuture(QtConcurrent::run(
        [notes = m_list.notes(), locale = QLocale()] { return sorted(notes, locale); }));
    return nullptr;
}

qsizetype TitleOrder::first(const std::vector<qsizetype>& rows) const
{
    if (rows.empty())
        return -1;
    if (m_generation == m_list.generation() && qsizetype(rows.size()) > 64) {
        std::vector<char> listed(size_t(m_list.notes().size()), 0);
        for (const qsizetype row : rows)
            listed[size_t(row)] = 1;
        for (const qsizetype position : m_order) {
            if (listed[size_t(position)])
                return position;
        }
    }
    const QCollator collator = collatorFor(QLocale());
    const auto before = [&](qsizetype a, qsizetype b) {
        const int compared =
            collator.compare(m_list.notes().at(a).title, m_list.notes().at(b).title);
        return compared < 0 || (compared == 0 && a < b);
    };
    return *std::min_element(rows.begin(), rows.end(), before);
}
