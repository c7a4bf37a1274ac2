#pragma once

#include "store/note.h"

#include <QObject>
#include <optional>

// The note the window shows. The parts of the store that load, save and rename notes keep it
// on the same note; the window follows its signal.
class Selection : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const std::optional<Note>& note() const { return m_note; }
    QString url() const { return m_note ? m_note->url : QString(); }
    bool is(const QString& url) const { return m_note && m_note->url == url; }
    void set(const std::optional<Note>& note)
    {
        m_note = note;
        emit changed();
    }

signals:
    void changed();

private:
    std::optional<Note> m_note;
};
