#pragma once

#include <QString>

class QMainWindow;
class QSplitter;
class QWidget;

// Where the windows were, for the next launch: Linux desktops leave that to the application.
// Kept in the settings file, beside the notes folder.
class WindowMemory
{
public:
    static inline const QString mainGeometryKey = QStringLiteral("MainWindowGeometry");
    static inline const QString splitterKey = QStringLiteral("MainWindowSplitter");
    static inline const QString preferencesKey = QStringLiteral("PreferencesPosition");

    static void restoreMain(QMainWindow& window, QSplitter& splitter);
    static void saveMain(const QMainWindow& window, const QSplitter& splitter);
    // False when nothing is remembered: the window then opens where the desktop puts it.
    static bool restorePosition(QWidget& window, const QString& key);
    static void savePosition(const QWidget& window, const QString& key);
};
