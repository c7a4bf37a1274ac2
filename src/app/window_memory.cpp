#include "app/window_memory.h"

#include "folder/folder_access.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QSplitter>

void WindowMemory::restoreMain(QMainWindow& window, QSplitter& splitter)
{
    const QSettings stored(FolderAccess::settingsFilePath(), QSettings::IniFormat);
    // restoreGeometry brings a window from a screen that is gone back onto one that is there.
    window.restoreGeometry(stored.value(mainGeometryKey).toByteArray());
    splitter.restoreState(stored.value(splitterKey).toByteArray());
}

void WindowMemory::saveMain(const QMainWindow& window, const QSplitter& splitter)
{
    QSettings stored(FolderAccess::settingsFilePath(), QSettings::IniFormat);
    stored.setValue(mainGeometryKey, window.saveGeometry());
    stored.setValue(splitterKey, splitter.saveState());
}

bool WindowMemory::restorePosition(QWidget& window, const QString& key)
{
    const QVariant stored =
        QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat).value(key);
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
    QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat).setValue(key, window.pos());
}
