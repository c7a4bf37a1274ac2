#pragma once

#include "app/note_results.h"

#include <QDBusConnection>
#include <QObject>

class KRunnerRunner;
class QuillboxApp;
class ShellSearchProvider;

// The desktop's searches (GNOME Shell's and KRunner's), on the application's bus name. They are
// on the bus before the name is taken: the call that started Quillbox is delivered as soon as
// the name is ours, and must find them there.
class DesktopSearch : public QObject
{
    Q_OBJECT

public:
    explicit DesktopSearch(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);
    ~DesktopSearch() override;

    // Answers from the application's store; a picked note or a search opens its window.
    // Before the event loop runs, so that no load has ended unseen.
    void serve(QuillboxApp& app);

    NoteResults& results() { return m_results; }
    ShellSearchProvider& shell() { return *m_shell; }
    KRunnerRunner& runner() { return *m_runner; }

private:
    QDBusConnection m_bus;
    NoteResults m_results;
    ShellSearchProvider* m_shell = nullptr;
    KRunnerRunner* m_runner = nullptr;
};
