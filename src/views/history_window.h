#pragma once

#include "store/history_store.h"

#include <QDialog>
#include <functional>
#include <optional>

class History;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class VersionDiffView;

// The versions kept of a note, each against the note's current text, and the notes whose file
// is gone but whose history is kept. It never writes: restoring asks the application, which
// saves the text the way every edit is saved.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HistoryWindow(History& history, QWidget* parent = nullptr);

    // Lists the note's versions, newest first, and shows the newest against currentText. The
    // same note again (its text changed, say) keeps the version chosen.
    void showNote(const QString& url, const QString& title, const QString& currentText);
    // Lists the notes with history for which isNote is false, most recently changed first.
    void showDeleted(const std::function<bool(const QString& path)>& isNote);

    // What happened to make a version, in a user's words.
    static QString describe(HistoryStore::Kind kind);

    QTabWidget* tabs() const { return m_tabs; }
    QListWidget* versionsList() const { return m_versions; }
    VersionDiffView* diffView() const { return m_diff; }
    QPushButton* restoreButton() const { return m_restore; }
    QListWidget* deletedList() const { return m_deleted; }
    QPlainTextEdit* deletedText() const { return m_deletedText; }
    QPushButton* restoreNoteButton() const { return m_restoreNote; }

signals:
    void restoreRequested(const QString& noteUrl, const QString& text);
    void restoreDeletedRequested(const QString& oldPath, const QString& text);

private:
    QWidget* buildVersionsTab();
    QWidget* buildDeletedTab();
    void chooseVersion(int row);
    void chooseDeleted(int row);

    History& m_history;
    QTabWidget* m_tabs;
    QListWidget* m_versions;
    VersionDiffView* m_diff;
    QPushButton* m_restore;
    QListWidget* m_deleted;
    QPlainTextEdit* m_deletedText;
    QPushButton* m_restoreNote;

    QString m_url;
    QString m_current;
    QList<HistoryStore::Version> m_versionList;
    std::optional<QString> m_chosen; // the text of the version chosen, once read
    QList<HistoryStore::NoteHistory> m_deletedNotes;
    std::optional<QString> m_deletedChosen;
};
