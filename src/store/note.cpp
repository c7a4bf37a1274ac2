#include "store/note.h"

#include "store/search_key.h"

void Note::prepareSearch() const
{
    bool refolded = false;
    if (!m_foldedFromTitle.isSharedWith(title) && m_foldedFromTitle != title) {
        m_titleKey = SearchKey::fold(title);
        m_foldedFromTitle = title;
        refolded = true;
    }
    if (!m_foldedFromContent.isSharedWith(m_content) && m_foldedFromContent != m_content) {
        m_contentKey = SearchKey::foldUtf8(m_content);
        m_foldedFromContent = m_content;
        refolded = true;
    }
    if (refolded)
        m_keyKinds = SearchKey::kinds(m_titleKey) | SearchKey::kinds(m_contentKey);
}

qsizetype Note::firstMatch(const QByteArray& foldedQuery, qsizetype contentFrom) const
{
    const quint64 wanted = SearchKey::kinds(foldedQuery);
    if ((m_keyKinds & wanted) != wanted)
        return noMatch;
    // A letter or digit alone has a kind of its own: the kinds answer without the text.
    if (SearchKey::isOwnKind(foldedQuery))
        return 0;
    const qsizetype at = SearchKey::indexIn(m_contentKey, foldedQuery, contentFrom);
    if (at >= 0)
        return at;
    // Only in the title: the text holds no longer query either.
    return SearchKey::contains(m_titleKey, foldedQuery) ? m_contentKey.size() : noMatch;
}
