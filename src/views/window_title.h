#pragma once

#include "store/note.h"

#include <QObject>

#include <optional>

class NotesStore;
class QWidget;

// The main window's title names the note it shows ("Groceries — Quillbox"), as the window
// switcher and screen readers say it, and follows the selection and its renames.
class WindowTitle : public QObject
{
    Q_OBJECT

public:
    WindowTitle(QWidget& window, NotesStore& store);

    static QString of(const std::optional<Note>& note);
};
