#include "note.h"

#include "search_key.h"

#include <QTimeZone>

QDateTime Note::distantPast()
{
    static const QDateTime past(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
    return past;
}

void Note::prepareSearch() const
{
    if (!m_foldedFromTitle.isSharedWith(title) && m_foldedFromTitle != title) {
        m_titleKey = SearchKey::fold(title);
        m_foldedFromTitle = title;
    }
    if (!m_foldedFromContent.isSharedWith(content) && m_foldedFromContent != content) {
        m_contentKey = SearchKey::fold(content);
        m_foldedFromContent = content;
    }
}

bool Note::matches(const QByteArray& foldedQuery) const
{
    prepareSearch();
    return SearchKey::contains(m_titleKey, foldedQuery) ||
           SearchKey::contains(m_contentKey, foldedQuery);
}
