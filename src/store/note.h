#pragma once

#include "store/file_identity.h"
#include "store/note_text.h"

#include <QAnyStringView>
#include <QByteArray>
#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUuid>

// One note file as the store knows it. A value: views hold snapshots that the store never
// updates in place. Identity for equality and hashing is the file alone.
struct Note
{
    QUuid id;              // fresh for every record made from a file; survives saves
    QString url;           // absolute path of the note file, directly inside the folder
    QString title;         // file base name until the first save, then the derived title
    QString fallbackTitle; // base name when the record was made; survives renames
    QDateTime lastModified;
    // Not valid UTF-8 (its text or its name) or not readable: shown read-only and never
    // written or renamed, so its bytes survive.
    bool unreadable = false;
    // Listed from the folder's entry alone: the text has not been read yet, and content() is
    // not the file's text. Nothing may save, merge or compare against it until it is read.
    bool textPending = false;
    // What the file looked like when content was read or written: a save checks it first.
    FileIdentity identity;
    bool hasBom = false;
    NoteText::LineEnding lineEnding = NoteText::LineEnding::Lf;

    // The text as last read from or written to the file. It is kept as the file's UTF-8
    // (line endings as in the file, without the byte-order mark): a folder of notes is held
    // in memory at about its size, and only the note on screen is ever decoded.
    QString content() const { return QString::fromUtf8(m_content); }
    const QByteArray& contentUtf8() const { return m_content; }
    void setContent(const QString& text) { m_content = text.toUtf8(); }
    // Bytes already checked to be UTF-8.
    void setContentUtf8(QByteArray utf8) { m_content = std::move(utf8); }
    bool hasContent(QStringView text) const { return QAnyStringView::equal(m_content, text); }

    // The bytes the file holds for content.
    QByteArray fileBytes() const { return NoteText::withBom(m_content, hasBom); }

    // Case-insensitive, diacritic-sensitive substring test against title and content, for a
    // record whose search keys are prepared (those of a NoteList are; foldedQuery comes from
    // SearchKey::fold() and is not empty): where in the text's search key the query first
    // occurs at or after contentFrom (the key's size when only the title holds it, 0 when its
    // place was not needed). A scan reads the keys alone, not the strings they were made from.
    static constexpr qsizetype noMatch = -1;
    qsizetype firstMatch(const QByteArray& foldedQuery, qsizetype contentFrom = 0) const;
    // Asks the processor to fetch what firstMatch() will read first: a scan over thousands of
    // notes otherwise waits on memory note after note.
    void prefetchSearch(qsizetype contentFrom) const
    {
        __builtin_prefetch(m_titleKey.constData());
        __builtin_prefetch(m_contentKey.constData() + qMin(contentFrom, m_contentKey.size()));
    }
    // Folds title and content ahead of the first search so a keystroke never pays for it.
    void prepareSearch() const;

    friend bool operator==(const Note& a, const Note& b) { return a.url == b.url; }

private:
    // Folded copies keyed to the exact strings they were made from: any change of title or
    // content (a new string) invalidates them without the store having to remember to.
    QByteArray m_content;
    mutable QString m_foldedFromTitle;
    mutable QByteArray m_foldedFromContent;
    mutable QByteArray m_titleKey;
    mutable QByteArray m_contentKey;
    mutable quint64 m_keyKinds = 0;
};

Q_DECLARE_TYPEINFO(Note, Q_RELOCATABLE_TYPE);

inline size_t qHash(const Note& note, size_t seed = 0)
{
    return qHash(note.url, seed);
}
