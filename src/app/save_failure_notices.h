#pragma once

#include "store/file_error.h"

#include <QHash>
#include <QObject>
#include <functional>

class NotesStore;

// A save that keeps failing would otherwise stop the user with the same alert at every pause
// in typing and every note left. Each note's failure is alerted once per reason; its repeats
// are said where they do not interrupt, until the note is saved again.
class SaveFailureNotices : public QObject
{
    Q_OBJECT

public:
    SaveFailureNotices(NotesStore& store, std::function<void(const FileError&)> alert,
                       QObject* parent = nullptr);

    // While quitting: the question about unsaved notes speaks for every failure, and a failure
    // met then has not been told yet.
    void setQuiet(bool quiet) { m_quiet = quiet; }

signals:
    // The save of the note at url failed again for a reason it was alerted for.
    void stillFailing(const QString& url, const QString& message);

private:
    void report(const FileError& error);
    void forgetSaved();

    NotesStore& m_store;
    std::function<void(const FileError&)> m_alert;
    // The reason (errno) each failing note was alerted for.
    QHash<QString, int> m_told;
    bool m_quiet = false;
};
