#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QTextDocument;

// The documents of the notes edited this session, each with its own undo history, while
// another note is shown: going back to a note brings back its undo. Only documents with
// something to undo or redo are kept, and only the most recent ones, so visiting many notes
// costs nothing and editing many costs a bounded amount.
class UndoStacks : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultLimit = 50;

    explicit UndoStacks(QObject* parent = nullptr) : QObject(parent) {}

    // The editor moves from the note at leaving (empty: from no note) to the one at url
    // (empty: to none). The document being left is kept when it has an undo history, and the
    // one kept for url comes back. True when it did; otherwise the editor shows a document
    // with no history, for the caller to fill. The caller sets the note's text in any case
    // when it differs: another program or a merge may have changed it meanwhile, and setting
    // it clears the history, which would otherwise bring back replaced text without a word.
    bool show(QPlainTextEdit& edit, const QString& leaving, const QString& url);

    // Takes document (and its ownership) as the one of the note at url. A document with
    // nothing to undo or redo is deleted instead.
    void keep(const QString& url, QTextDocument* document);
    // The document kept for url, handed back with its ownership; nullptr when none is.
    QTextDocument* take(const QString& url);
    // The note's file was renamed: its history follows it.
    void rename(const QString& from, const QString& to);
    // Drops the histories of notes that no longer exist.
    void retain(const std::function<bool(const QString& url)>& exists);
    qsizetype size() const { return m_kept.size(); }
    void setLimit(int limit) { m_limit = limit; }

signals:
    // The editor holds another document: whatever follows its document follows the new one.
    void documentReplaced();

private:
    static void install(QPlainTextEdit& edit, QTextDocument* document);

    struct Kept
    {
        QString url;
        QTextDocument* document;
    };
    // The oldest first.
    QList<Kept> m_kept;
    int m_limit = defaultLimit;
};
