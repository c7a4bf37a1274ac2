#include "store/text_matches.h"

#include <algorithm>

namespace {

// Upper then lower case gives full case folding where simple folding falls short.
QString folded(QStringView text)
{
    return text.toString().toUpper().toLower();
}

} // namespace

QString TextMatches::fold(QStringView text, QList<Shift>* shifts)
{
    QString out;
    out.reserve(text.size());
    const char16_t* units = text.utf16();
    qsizetype i = 0;
    while (i < text.size()) {
        // Most text is ASCII, lowered in bulk.
        qsizetype end = i;
        while (end < text.size() && units[end] < 0x80)
            ++end;
        if (end > i) {
            const qsizetype at = out.size();
            out.resize(at + (end - i));
            char16_t* lowered = reinterpret_cast<char16_t*>(out.data()) + at;
            for (; i < end; ++i)
                *lowered++ = (units[i] >= 'A' && units[i] <= 'Z') ? char16_t(units[i] + ('a' - 'A'))
                                                                  : units[i];
            continue;
        }
        // A run of other characters folds at once; character by character only when its
        // length changes, to know where.
        while (end < text.size() && units[end] >= 0x80)
            ++end;
        const QStringView run = text.sliced(i, end - i);
        const QString whole = folded(run);
        if (whole.size() == run.size()) {
            out += whole;
            i = end;
            continue;
        }
        while (i < end) {
            const qsizetype length =
                (text[i].isHighSurrogate() && i + 1 < end && text[i + 1].isLowSurrogate()) ? 2 : 1;
            const QString one = folded(text.sliced(i, length));
            if (shifts && one.size() != length)
                shifts->append({out.size(), i, one.size(), length});
            out += one;
            i += length;
        }
    }
    return out;
}

void TextMatches::setText(QStringView text)
{
    m_shifts.clear();
    m_answers.clear();
    m_folded = fold(text, &m_shifts);
}

qsizetype TextMatches::originalStart(qsizetype folded) const
{
    auto after = std::upper_bound(m_shifts.cbegin(), m_shifts.cend(), folded,
                                  [](qsizetype at, const Shift& s) { return at < s.folded; });
    if (after == m_shifts.cbegin())
        return folded;
    const Shift& s = *(after - 1);
    if (folded < s.folded + s.foldedLength)
        return s.original;
    return s.original + s.originalLength + (folded - s.folded - s.foldedLength);
}

qsizetype TextMatches::originalEnd(qsizetype folded) const
{
    auto after = std::lower_bound(m_shifts.cbegin(), m_shifts.cend(), folded,
                                  [](const Shift& s, qsizetype at) { return s.folded < at; });
    if (after == m_shifts.cbegin())
        return folded;
    const Shift& s = *(after - 1);
    if (folded <= s.folded + s.foldedLength)
        return s.original + s.originalLength;
    return s.original + s.originalLength + (folded - s.folded - s.foldedLength);
}

QList<TextMatches::Match> TextMatches::matches(QStringView query)
{
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        if (m_answers[i].query == query) {
            if (i > 0)
                m_answers.move(i, 0);
            return m_answers.front().matches;
        }
    }
    Answer answer{query.toString(), {}};
    const QString key = fold(query, nullptr);
    if (!key.isEmpty()) {
        const QStringView folded(m_folded);
        for (qsizetype at = folded.indexOf(key); at >= 0;
             at = folded.indexOf(key, at + key.size())) {
            const qsizetype start = originalStart(at);
            answer.matches.append({start, originalEnd(at + key.size()) - start});
        }
    }
    m_answers.prepend(std::move(answer));
    if (m_answers.size() > 2)
        m_answers.removeLast();
    return m_answers.front().matches;
}

qsizetype TextMatches::nextIndex(const QList<Match>& matches, qsizetype from, qsizetype to,
                                 bool backward)
{
    if (matches.isEmpty())
        return -1;
    const auto startsBefore = [](const Match& m, qsizetype at) { return m.start < at; };
    if (backward) {
        const auto first = std::lower_bound(matches.cbegin(), matches.cend(), from, startsBefore);
        return first == matches.cbegin() ? matches.size() - 1 : (first - matches.cbegin()) - 1;
    }
    const auto next = std::lower_bound(matches.cbegin(), matches.cend(), to, startsBefore);
    return next == matches.cend() ? 0 : next - matches.cbegin();
}

qsizetype TextMatches::indexOf(const QList<Match>& matches, qsizetype from, qsizetype to)
{
    const auto at = std::lower_bound(matches.cbegin(), matches.cend(), from,
                                     [](const Match& m, qsizetype pos) { return m.start < pos; });
    if (at == matches.cend() || at->start != from || at->start + at->length != to)
        return -1;
    return at - matches.cbegin();
}
