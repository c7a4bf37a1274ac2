#pragma once

#include <QByteArray>
#include <QStringView>

// The search compares texts by Unicode case folding in NFC, diacritics significant. Both
// sides are reduced to a folded UTF-8 key once, so a keystroke is a plain byte search.
class SearchKey
{
public:
    static QByteArray fold(QStringView text);
    static bool contains(const QByteArray& haystack, const QByteArray& needle);
};
