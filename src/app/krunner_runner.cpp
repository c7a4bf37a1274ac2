#include "app/krunner_runner.h"

#include "app/note_results.h"
#include "build_config.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

KRunnerRunner::KRunnerRunner(NoteResults& results, QObject* parent)
    : QObject(parent), m_results(results)
{
    qDBusRegisterMetaType<KRunnerRunner::RemoteMatch>();
    qDBusRegisterMetaType<QList<KRunnerRunner::RemoteMatch>>();
    qDBusRegisterMetaType<KRunnerRunner::RemoteAction>();
    qDBusRegisterMetaType<QList<KRunnerRunner::RemoteAction>>();
}

QList<KRunnerRunner::RemoteAction> KRunnerRunner::Actions()
{
    return {};
}

QList<KRunnerRunner::RemoteMatch> KRunnerRunner::matches(const QString& query) const
{
    QList<KRunnerRunner::RemoteMatch> found;
    const QList<Note> notes = m_results.find({query});
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const Note& note = notes.at(i);
        RemoteMatch match;
        match.id = note.url;
        match.text = note.title;
        match.iconName = QStringLiteral(QUILLBOX_APP_ID);
        match.type = possibleMatch;
        // Newest first, as the list shows them.
        match.relevance = 1.0 - 0.1 * double(i);
        match.properties.insert(QStringLiteral("subtext"), NoteResults::date(note));
        found.append(match);
    }
    return found;
}

QList<KRunnerRunner::RemoteMatch> KRunnerRunner::Match(const QString& query)
{
    if (m_results.canAnswer({query}))
        return matches(query);
    setDelayedReply(true);
    m_results.whenAnswerable({query}, [this, bus = connection(), call = message(), query] {
        bus.send(call.createReply(QVariant::fromValue(matches(query))));
    });
    return {};
}

void KRunnerRunner::Run(const QString& matchId, const QString& actionId)
{
    Q_UNUSED(actionId);
    emit openRequested(matchId);
}

QDBusArgument& operator<<(QDBusArgument& argument, const KRunnerRunner::RemoteMatch& match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.iconName << match.type << match.relevance
             << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, KRunnerRunner::RemoteMatch& match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.iconName >> match.type >> match.relevance >>
        match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const KRunnerRunner::RemoteAction& action)
{
    argument.beginStructure();
    argument << action.id << action.text << action.iconName;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, KRunnerRunner::RemoteAction& action)
{
    argument.beginStructure();
    argument >> action.id >> action.text >> action.iconName;
    argument.endStructure();
    return argument;
}
