#pragma once

#include "store/file_identity.h"
#include "store/note_text.h"

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
    QString content;       // text as last read from or written to the file
    QDateTime lastModified;
    // Not valid UTF-8 (its text or its name) or not readable: shown read-only and never
    // written or renamed, so its bytes survive.
    bool unreadable = false;
    // What the file looked like when content was read or written: a save checks it first.
    FileIdentity identity;
    bool hasBom = false;
    NoteText::LineEnding lineEnding = NoteText::LineEnding::Lf;

    // The bytes the file holds for content.
    QByteArray fileBytes() const { return NoteText::encode(content, hasBom); }

    // Earlier than every real date; stands for a modification date that could not be read.
    static QDateTime distantPast();

    // Case-insensitive, diacritic-sensitive substring test against title and content.
    // foldedQuery must come from SearchKey::fold() and be non-empty.
    bool matches(const QByteArray& foldedQuery) const;
    // Folds title and content ahead of the first search so a keystroke never pays for it.
    void prepareSearch() const;

    friend bool operator==(const Note& a, const Note& b) { return a.url == b.url; }

private:
    // Folded copies keyed to the exact strings they were made from: any change of title or
    // content (a new string) invalidates them without the store having to remember to.
    mutable QString m_foldedFromTitle;
    mutable QString m_foldedFromContent;
    mutable QByteArray m_titleKey;
    mutable QByteArray m_contentKey;
    mutable quint64 m_keyKinds = 0;
};

Q_DECLARE_TYPEINFO(Note, Q_RELOCATABLE_TYPE);

inline size_t qHash(const Note& note, size_t seed = 0)
{
    return qHash(note.url, seed);
}
