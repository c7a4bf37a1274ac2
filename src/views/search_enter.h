#pragma once

#include <QObject>
#include <QString>
#include <functional>

class NotesStore;
class QLineEdit;

// Enter in the search field opens the first note listed for the text typed, even when the list
// has not caught up with it yet; without one, or with Ctrl, asks for a note of that title. A
// blank search does nothing.
class SearchEnter : public QObject
{
    Q_OBJECT

public:
    // openEditor is called once the note is selected, to put the cursor in it.
    SearchEnter(QLineEdit& field, NotesStore& store, std::function<void()> openEditor);

signals:
    // A note holding text (the query and a line for what follows) should be made.
    void noteRequested(const QString& text);

private:
    void entered(bool create);
    void searchFinished();

    QLineEdit& m_field;
    NotesStore& m_store;
    std::function<void()> m_openEditor;
    // The search text Enter was pressed on while its scan ran: acted on when the scan ends.
    QString m_waiting;
};
