#pragma once

#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class NoteResults;

// The notes in GNOME Shell's search (org.gnome.Shell.SearchProvider2): the shell asks as the
// user types, shows titles and dates, and hands back the row the user picks.
class ShellSearchProvider : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")

public:
    static inline const QString objectPath =
        QStringLiteral("/io/github/quillbox/Quillbox/SearchProvider");

    explicit ShellSearchProvider(NoteResults& results, QObject* parent = nullptr);

public slots:
    Q_SCRIPTABLE QStringList GetInitialResultSet(const QStringList& terms);
    Q_SCRIPTABLE QStringList GetSubsearchResultSet(const QStringList& previousResults,
                                                   const QStringList& terms);
    Q_SCRIPTABLE QList<QVariantMap> GetResultMetas(const QStringList& identifiers);
    Q_SCRIPTABLE void ActivateResult(const QString& identifier, const QStringList& terms,
                                     uint timestamp);
    Q_SCRIPTABLE void LaunchSearch(const QStringList& terms, uint timestamp);

signals:
    void openRequested(const QString& url);
    void searchRequested(const QString& query);

private:
    QStringList identifiers(const QStringList& terms) const;

    NoteResults& m_results;
};
