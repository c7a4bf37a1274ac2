#pragma once

#include <QIcon>

#include <QPalette>

// Toolbar icons from the desktop theme, drawn here when the theme has none.
class FallbackIcons
{
public:
    static QIcon newNote(const QPalette& palette);
    static QIcon deleteNote(const QPalette& palette);
    static QIcon application();
};
