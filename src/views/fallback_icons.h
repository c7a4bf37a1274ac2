#pragma once

#include <QIcon>

// Toolbar icons from the desktop theme, drawn here when the theme has none.
class FallbackIcons
{
public:
    static QIcon newNote();
    static QIcon deleteNote();
    static QIcon application();
};
