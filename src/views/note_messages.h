#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class MessageBar;
class NotesStore;

// What the message bar says about particular notes. Such a message names its notes, follows
// their renames, and leaves once none of them is shown (or one of them is gone): left up, it
// would seem to speak of the note shown instead. What it told stays in the notes' history.
class NoteMessages : public QObject
{
    Q_OBJECT

public:
    // Made again whenever a note is renamed, from the notes' files as they are named then.
    using Text = std::function<QString(const QStringList& urls)>;
    using Action = std::function<void(const QStringList& urls)>;

    NoteMessages(NotesStore& store, MessageBar& bar, QObject* parent = nullptr);

    void show(const QStringList& urls, Text text, const QString& actionText = {},
              Action action = {});
    // The notes the bar speaks of now: none when it says something else, or nothing.
    QStringList notes() const;

private:
    void present();
    void leave();
    void followRename(const QString& from, const QString& to);
    void followSelection();
    void followList();

    NotesStore& m_store;
    MessageBar& m_bar;
    QStringList m_urls;
    Text m_text;
    QString m_actionText;
    Action m_action;
    QString m_shown;
};
