#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

class NoteList;

// Answers the search text without making a keystroke wait: a large list is scanned on another
// thread and the list follows when the scan ends. One scan at a time; a query typed meanwhile
// is scanned next, the ones in between never.
class BackgroundSearch : public QObject
{
    Q_OBJECT

public:
    // query gives the folded search text as it is at the moment a scan starts.
    BackgroundSearch(NoteList& list, std::function<QByteArray()> query, QObject* parent = nullptr);

    // The list answers the current query at once after finished().
    void start();

signals:
    void finished();

private:
    NoteList& m_list;
    std::function<QByteArray()> m_query;
    bool m_running = false;
    bool m_again = false;
};
