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
    static bool contains(const QByteArray& haystack, const QByteArray& needle);
    // Which kinds of bytes a key holds, one bit each (letters, digits, a few groups of the
    // rest). A key can contain a query only if it holds every kind the query does, which
    // rules most notes out of a rare letter's search without reading their text.
    static quint64 kinds(const QByteArray& key);
};
