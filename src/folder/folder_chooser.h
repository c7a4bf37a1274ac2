#pragma once

#include "store/file_error.h"

#include <QObject>

class FolderPanel;
class NotesStore;

// Asks the user for a notes folder and hands the store one it can use: a folder that cannot
// be written or remembered is refused, saying why, and the chooser comes back.
class FolderChooser : public QObject
{
    Q_OBJECT

public:
    FolderChooser(NotesStore& store, FolderPanel& panel, QObject* parent = nullptr);

    void chooseFolder();
    // Only when no folder is set: the first start.
    void chooseFolderIfNeeded();

signals:
    // The chosen folder cannot be written, or not remembered: it is not taken, and the
    // chooser comes back once the handlers have returned.
    void folderRefused(const QString& folder);
    void folderNotRemembered(const FileError& error);

private:
    void folderChosen(const QString& folder);

    NotesStore& m_store;
    FolderPanel& m_panel;
};
