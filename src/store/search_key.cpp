#include "store/search_key.h"

#include <QString>

#include <array>
#include <cstring>
#include <type_traits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool isAsciiSpace(char16_t u)
{
    return u == ' ' || u == '\n' || u == '\t' || u == '\r';
}

// Upper then lower case gives full case folding where simple folding falls short: "Straße"
// and "STRASSE" both become "strasse".
void appendFolded(QByteArray& key, QStringView word)
{
    key += word.toString().toUpper().toLower().normalized(QString::NormalizationForm_C).toUtf8();
}

// Most words of most notes are plain ASCII and need neither normalisation nor full case
// folding: they are lowered in bulk, and only a word with other characters takes the general
// path. Words end at ASCII white space, which no normalisation or case mapping reaches across,
// and which is never a byte of a longer UTF-8 character.
template <typename Unit, typename FoldWord>
QByteArray foldWords(const Unit* units, qsizetype size, FoldWord&& foldWord)
{
    const auto isAscii = [&](qsizetype i) {
        return static_cast<std::make_unsigned_t<Unit>>(units[i]) < 0x80;
    };
    QByteArray key;
    key.reserve(size);
    const auto lowerAscii = [&](qsizetype from, qsizetype to) {
        const qsizetype at = key.size();
        key.resize(at + to - from);
        char* out = key.data() + at;
        for (qsizetype j = from; j < to; ++j) {
            const auto u = units[j];
            *out++ = (u >= 'A' && u <= 'Z') ? char(u + ('a' - 'A')) : char(u);
        }
    };
    qsizetype done = 0;
    while (done < size) {
        qsizetype other = done;
        while (other < size && isAscii(other))
            ++other;
        if (other == size) {
            lowerAscii(done, size);
            break;
        }
        qsizetype wordStart = other;
        while (wordStart > done && !isAsciiSpace(char16_t(units[wordStart - 1])))
            --wordStart;
        qsizetype wordEnd = other;
        while (wordEnd < size && !(isAscii(wordEnd) && isAsciiSpace(char16_t(units[wordEnd]))))
            ++wordEnd;
        lowerAscii(done, wordStart);
        foldWord(key, wordStart, wordEnd - wordStart);
        done = wordEnd;
    }
    // Growth past the reserve doubles the capacity; thousands of keys are kept for the
    // whole run, so they give the slack back.
    key.squeeze();
    return key;
}

// The kind of each byte, as kinds() describes them.
constexpr std::array<quint64, 256> byteKinds = [] {
    std::array<quint64, 256> kinds{};
    for (int byte = 0; byte < 256; ++byte) {
        int bit = 63; // every byte of a non-ASCII character
        if (byte >= 'a' && byte <= 'z')
            bit = byte - 'a';
        else if (byte >= '0' && byte <= '9')
            bit = 26 + (byte - '0');
        else if (byte < 0x80)
            bit = 36 + byte % 26;
        kinds[size_t(byte)] = quint64(1) << bit;
    }
    return kinds;
}();

} // namespace

QByteArray SearchKey::fold(QStringView text)
{
    return foldWords(text.utf16(), text.size(), [&](QByteArray& key, qsizetype from, qsizetype n) {
        appendFolded(key, text.sliced(from, n));
    });
}

QByteArray SearchKey::foldUtf8(QByteArrayView text)
{
    return foldWords(text.data(), text.size(), [&](QByteArray& key, qsizetype from, qsizetype n) {
        appendFolded(key, QString::fromUtf8(text.sliced(from, n)));
    });
}

qsizetype SearchKey::indexIn(const QByteArray& haystack, const QByteArray& needle, qsizetype from)
{
    const qsizetype n = needle.size();
    const qsizetype size = haystack.size();
    if (from < 0 || n > size - from)
        return -1;
    const char* text = haystack.constData();
    const char* pattern = needle.constData();
    const auto rest = [&](qsizetype at) {
        const void* found = memmem(text + at, size_t(size - at), pattern, size_t(n));
        return found ? static_cast<const char*>(found) - text : qsizetype(-1);
    };
#ifdef __SSE2__
    // Sixteen candidate positions at a time: a position is only compared in full when the
    // needle's first and last bytes both match there. A search runs over every note on every
    // keystroke, so this is the hot loop of typing in the search field.
    if (n >= 2) {
        const __m128i first = _mm_set1_epi8(pattern[0]);
        const __m128i last = _mm_set1_epi8(pattern[n - 1]);
        qsizetype i = from;
        for (; i + n - 1 + 16 <= size; i += 16) {
            const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            const __m128i atLast =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
            unsigned mask = unsigned(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(atFirst, first), _mm_cmpeq_epi8(atLast, last))));
            while (mask) {
                const int bit = __builtin_ctz(mask);
                if (std::memcmp(text + i + bit + 1, pattern + 1, size_t(n - 2)) == 0)
                    return i + bit;
                mask &= mask - 1;
            }
        }
        return rest(i);
    }
#endif
    return rest(from);
}

bool SearchKey::isOwnKind(const QByteArray& key)
{
    if (key.size() != 1)
        return false;
    const char c = key.front();
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

quint64 SearchKey::kinds(const QByteArray& key)
{
    quint64 kinds = 0;
    for (const char c : key)
        kinds |= byteKinds[static_cast<unsigned char>(c)];
    return kinds;
}
