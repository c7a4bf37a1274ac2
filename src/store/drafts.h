#pragma once

#include "store/draft.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

// The unsaved text of every note, by file: the one place it is kept until it is on disk, and
// the pause after typing that tells the store when to write it.
class Drafts : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultDelayMs = 3000;
    using LiveRead = std::function<std::optional<QString>()>;

    explicit Drafts(QObject* parent = nullptr);

    bool contains(const QString& url) const { return m_drafts.contains(url); }
    // The draft with the editor's latest text, if the note has one.
    std::optional<Draft> value(const QString& url);
    QStringList urls() const { return m_drafts.keys(); }
    QHash<QString, QString> texts();

    // The same for an editor that holds the text: it is read only when something needs it (a
    // save, a commit, quitting), so a keystroke in a long note does not copy the note. read
    // gives nothing once the editor is gone.
    void edit(const QString& url, const Note& base, LiveRead read);
    // Takes the editor's text in now: before the editor shows something else.
    void takeLiveText();
    void move(const QString& from, const QString& to);
    void remove(const QString& url);

    // The files changed on disk. A draft whose file vanished keeps its record, so the user
    // still sees the text; one whose file another program changed takes in the other side's
    // lines when they do not overlap the user's. Drafts without unsaved text give way to the
    // file. A file another program is still writing is left alone until it is finished.
    // Returns the drafts to save now, and in merged those that were merged.
    QStringList reconcile(QList<Note>& fresh, const QString& folder, QStringList& merged,
                          const std::function<bool(const QString& url)>& beingWritten);

    // The pause: restarted by every edit; when it runs out, due() names the note last edited.
    void restartPause(const QString& url);
    void stopPause() { m_pause.stop(); }
    const QString& lastEdited() const { return m_lastEdited; }
    void setDelay(int milliseconds) { m_pause.setInterval(milliseconds); }
    int delay() const { return m_pause.interval(); }

signals:
    void due(const QString& url);

private:
    QHash<QString, Draft> m_drafts;
    struct LiveText
    {
        QString url;
        LiveRead read;
    };
    std::optional<LiveText> m_live;
    QTimer m_pause;
    QString m_lastEdited;
};
