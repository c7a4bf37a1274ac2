#pragma once

#include <QObject>

class FolderPanel;
class NotesStore;

// Asks the user for a notes folder and hands the store one it can use: a folder that cannot
// be written or remembered is refused with the reason, and the chooser comes back.
class FolderChooser : public QObject
{
    Q_OBJECT

public:
    FolderChooser(NotesStore& store, FolderPanel& panel, QObject* parent = nullptr);

    void chooseFolder();
    // Only when no folder is set: the first start.
    void chooseFolderIfNeeded();

private:
    void folderChosen(const QString& folder);

    NotesStore& m_store;
    FolderPanel& m_panel;
};
