#pragma once

#include <QDBusArgument>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

class NoteResults;

// The notes in KRunner (org.kde.krunner1): a match per note the search lists, its date beneath
// its title; running one shows it.
class KRunnerRunner : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")

public:
    static inline const QString objectPath = QStringLiteral("/io/github/quillbox/Quillbox/KRunner");

    // a(sssida{sv}): what KRunner shows of a result.
    struct RemoteMatch
    {
        QString id;
        QString text;
        QString iconName;
        int type = 0;
        double relevance = 0;
        QVariantMap properties;
    };
    // a(sss): a button on a result; notes have none.
    struct RemoteAction
    {
        QString id;
        QString text;
        QString iconName;
    };
    // KRunner's "possible match": ranked among other runners' rows, not above them.
    static constexpr int possibleMatch = 30;

    explicit KRunnerRunner(NoteResults& results, QObject* parent = nullptr);

public slots:
    Q_SCRIPTABLE QList<KRunnerRunner::RemoteAction> Actions();
    Q_SCRIPTABLE QList<KRunnerRunner::RemoteMatch> Match(const QString& query);
    Q_SCRIPTABLE void Run(const QString& matchId, const QString& actionId);
    // KRunner closed: nothing is kept per session.
    Q_SCRIPTABLE void Teardown() {}

signals:
    void openRequested(const QString& url);

private:
    QList<KRunnerRunner::RemoteMatch> matches(const QString& query) const;

    NoteResults& m_results;
};

Q_DECLARE_METATYPE(KRunnerRunner::RemoteMatch)
Q_DECLARE_METATYPE(KRunnerRunner::RemoteAction)

QDBusArgument& operator<<(QDBusArgument& argument, const KRunnerRunner::RemoteMatch& match);
const QDBusArgument& operator>>(const QDBusArgument& argument, KRunnerRunner::RemoteMatch& match);
QDBusArgument& operator<<(QDBusArgument& argument, const KRunnerRunner::RemoteAction& action);
const QDBusArgument& operator>>(const QDBusArgument& argument, KRunnerRunner::RemoteAction& action);
