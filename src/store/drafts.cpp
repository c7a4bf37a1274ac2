#include "store/drafts.h"

#include "store/naming.h"
#include "store/text_merge.h"

Drafts::Drafts(QObject* parent) : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(defaultDelayMs);
    connect(&m_pause, &QTimer::timeout, this, [this] {
        if (!m_lastEdited.isEmpty())
            emit due(m_lastEdited);
    });
}

void Drafts::takeLiveText()
{
    if (!m_live)
        return;
    const LiveText live = std::move(*m_live);
    m_live.reset();
    const auto draft = m_drafts.find(live.url);
    if (draft == m_drafts.end())
        return;
    if (const std::optional<QString> text = live.read())
        draft->text = *text;
}

std::optional<Draft> Drafts::value(const QString& url)
{
    takeLiveText();
    const auto draft = m_drafts.constFind(url);
    if (draft == m_drafts.cend())
        return std::nullopt;
    return *draft;
}

QHash<QString, QString> Drafts::texts()
{
    takeLiveText();
    QHash<QString, QString> texts;
    for (auto it = m_drafts.cbegin(); it != m_drafts.cend(); ++it)
        texts.insert(it.key(), it->text);
    return texts;
}

void Drafts::edit(const QString& url, const Note& base, LiveRead read)
{
    if (m_live && m_live->url != url)
        takeLiveText();
    if (!m_drafts.contains(url))
        m_drafts.insert(url, Draft{read().value_or(base.content()), base});
    m_live = LiveText{url, std::move(read)};
}

void Drafts::move(const QString& from, const QString& to)
{
    takeLiveText();
    const auto draft = m_drafts.find(from);
    if (draft != m_drafts.end()) {
        Draft moved = *draft;
        moved.base.url = to;
        m_drafts.erase(draft);
        m_drafts.insert(to, moved);
    }
    if (m_lastEdited == from)
        m_lastEdited = to;
}

void Drafts::remove(const QString& url)
{
    m_drafts.remove(url);
}

void Drafts::restartPause(const QString& url)
{
    m_lastEdited = url;
    m_pause.start();
}

QStringList Drafts::reconcile(QList<Note>& fresh, const QString& folder, QStringList& merged,
                              const std::function<bool(const QString& url)>& beingWritten)
{
    if (m_drafts.isEmpty())
        return {};
    takeLiveText();
    QHash<QString, qsizetype> position;
    position.reserve(fresh.size());
    for (qsizetype i = 0; i < fresh.size(); ++i)
        position.insert(fresh.at(i).url, i);
    QStringList toSave;
    for (auto it = m_drafts.begin(); it != m_drafts.end();) {
        const qsizetype at = position.value(it.key(), -1);
        if (!it->isUnsaved()) {
            // Nothing typed that the file lacks: the file as it is now wins.
            it = at >= 0 ? m_drafts.erase(it) : std::next(it);
            continue;
        }
        if (Naming::folderOf(it.key()) == folder && !beingWritten(it.key())) {
            if (at < 0) {
                fresh.append(it->base);
                toSave.append(it.key());
            } else if (fresh.at(at).textPending) {
                // Their text is not known yet: joining ours into nothing would drop theirs.
                // The draft waits; its save checks the file against what it was based on.
            } else if (!fresh.at(at).identity.sameDataAs(it->base.identity)) {
                // Both sides changed the note: lines that only one side touched are joined,
                // and the result saved over the other program's version, which it includes.
                const Note& theirs = fresh.at(at);
                const std::optional<QString> result =
                    theirs.unreadable
                        ? std::nullopt
                        : TextMerge::merge(it->base.content(), it->text, theirs.content());
                if (result) {
                    it->text = *result;
                    it->base = theirs;
                    merged.append(it.key());
                }
                toSave.append(it.key());
            }
        }
        ++it;
    }
    return toSave;
}
