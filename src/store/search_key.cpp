#include "search_key.h"

#include <QString>

#include <cstring>

QByteArray SearchKey::fold(QStringView text)
{
    // Plain ASCII needs neither normalisation nor full case folding; most notes are mostly
    // ASCII, and loading thousands of them should not pay for the general path.
    QByteArray key(text.size(), Qt::Uninitialized);
    char* out = key.data();
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x80) {
            // Upper then lower case gives full case folding where simple folding falls
            // short: "Straße" and "STRASSE" both become "strasse".
            return text.toString().toUpper().toLower().normalized(QString::NormalizationForm_C).toUtf8();
        }
        *out++ = (u >= 'A' && u <= 'Z') ? char(u + ('a' - 'A')) : char(u);
    }
    return key;
}

bool SearchKey::contains(const QByteArray& haystack, const QByteArray& needle)
{
    if (needle.size() > haystack.size())
        return false;
    return memmem(haystack.constData(), size_t(haystack.size()), needle.constData(),
                  size_t(needle.size())) != nullptr;
}
