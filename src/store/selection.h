#pragma once

#include "store/note.h"

#include <QObject>
#include <functional>
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
    // The window shows the note's text: one listed before its text was read is read first,
    // never shown (and then saved) as empty. Nothing is selected when its file is gone.
    void set(const std::optional<Note>& note)
    {
        m_note = note && note->textPending && m_read ? m_read(*note) : note;
        emit changed();
    }
    void setReader(std::function<std::optional<Note>(const Note&)> read)
    {
        m_read = std::move(read);
    }

signals:
    void changed();

private:
    std::optional<Note> m_note;
    std::function<std::optional<Note>(const Note&)> m_read;
};
