#pragma once

#include <QByteArray>
#include <QStringView>

// The search compares texts by Unicode case folding in NFC, diacritics significant. Both
// sides are reduced to a folded UTF-8 key once, so a keystroke is a plain byte search.
class SearchKey
{
public:
    static QByteArray fold(QStringView text);
    // The same key from UTF-8, which must be valid.
    static QByteArray foldUtf8(QByteArrayView text);
    static bool contains(const QByteArray& haystack, const QByteArray& needle)
    {
        return indexIn(haystack, needle, 0) >= 0;
    }
    // The first position at or after from where haystack holds needle, else -1.
    static qsizetype indexIn(const QByteArray& haystack, const QByteArray& needle, qsizetype from);
    // Which kinds of bytes a key holds, one bit each (letters, digits, a few groups of the
    // rest). A key can contain a query only if it holds every kind the query does, which
    // rules most notes out of a rare letter's search without reading their text.
    static quint64 kinds(const QByteArray& key);
    // Whether the key is a single byte that no other byte shares a kind with.
    static bool isOwnKind(const QByteArray& key);
};
