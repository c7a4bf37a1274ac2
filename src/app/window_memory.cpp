#include "app/window_memory.h"

#include "folder/app_settings.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>

void WindowMemory::restoreMain(QMainWindow& window, QSplitter& splitter)
{
    // restoreGeometry brings a window from a screen that is gone back onto one that is there.
    window.restoreGeometry(AppSettings::value(mainGeometryKey).toByteArray());
    splitter.restoreState(AppSettings::value(splitterKey).toByteArray());
}

void WindowMemory::saveMain(const QMainWindow& window, const QSplitter& splitter)
{
    // A place that cannot be stored is not worth a word: the window opens where the desktop
    // puts it.
    AppSettings::setValue(mainGeometryKey, window.saveGeometry());
    AppSettings::setValue(splitterKey, splitter.saveState());
}

bool WindowMemory::restorePosition(QWidget& window, const QString& key)
{
    const QVariant stored = AppSettings::value(key);
    if (!stored.canConvert<QPoint>())
        return false;
    const QPoint position = stored.toPoint();
    // A position on a screen that has since gone would hide the window.
    if (!QGuiApplication::screenAt(position))
        return false;
    window.move(position);
    return true;
}

void WindowMemory::savePosition(const QWidget& window, const QString& key)
{
    AppSettings::setValue(key, window.pos());
}
