#include "app/shell_search_provider.h"

#include "app/note_results.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

ShellSearchProvider::ShellSearchProvider(NoteResults& results, QObject* parent)
    : QObject(parent), m_results(results)
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

QStringList ShellSearchProvider::identifiers(const QStringList& terms) const
{
    QStringList found;
    for (const Note& note : m_results.find(terms))
        found.append(note.url);
    return found;
}

QStringList ShellSearchProvider::GetInitialResultSet(const QStringList& terms)
{
    if (m_results.canAnswer(terms))
        return identifiers(terms);
    // Started by this very call: the answer follows the folder's first reading.
    setDelayedReply(true);
    m_results.whenAnswerable(terms, [this, bus = connection(), call = message(), terms] {
        bus.send(call.createReply(identifiers(terms)));
    });
    return {};
}

QStringList ShellSearchProvider::GetSubsearchResultSet(const QStringList& previousResults,
                                                       const QStringList& terms)
{
    // A longer query can list notes the shorter one's few rows left out: searched anew, which
    // the store answers from where the shorter query was found.
    Q_UNUSED(previousResults);
    return GetInitialResultSet(terms);
}

QList<QVariantMap> ShellSearchProvider::GetResultMetas(const QStringList& identifiers)
{
    QList<QVariantMap> metas;
    for (const QString& identifier : identifiers) {
        // A note deleted since it was listed has nothing to show.
        if (const std::optional<Note> note = m_results.note(identifier)) {
            metas.append({{QStringLiteral("id"), identifier},
                          {QStringLiteral("name"), note->title},
                          {QStringLiteral("description"), NoteResults::date(*note)}});
        }
    }
    return metas;
}

void ShellSearchProvider::ActivateResult(const QString& identifier, const QStringList& terms,
                                         uint timestamp)
{
    Q_UNUSED(terms);
    Q_UNUSED(timestamp);
    emit openRequested(identifier);
}

void ShellSearchProvider::LaunchSearch(const QStringList& terms, uint timestamp)
{
    Q_UNUSED(timestamp);
    emit searchRequested(NoteResults::query(terms));
}
