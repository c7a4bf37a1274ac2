#include "naming.h"

#include <QChar>
#include <QFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <sys/stat.h>

namespace {

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isSpaceSeparator(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// The "\s" class of the file name rule: tab, line feed, form feed, carriage return and the
// Unicode separators. Vertical tab and U+0085 are not in it.
bool isRegexSpace(char32_t c)
{
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || isSpaceSeparator(c);
}

bool isForbiddenInFileName(char32_t c)
{
    switch (c) {
    case '/':
    case ':':
    case '?':
    case '%':
    case '*':
    case '|':
    case '"':
    case '<':
    case '>':
        return true;
    default:
        return false;
    }
}

QString cutToGraphemes(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count)
            return text.left(finder.position());
    }
    return text;
}

bool entryExists(const QString& path)
{
    // lstat, so that a dangling link also counts as taken: a rename that must not replace
    // anything would fail on it.
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

bool Naming::isTrimmedSpace(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x85 || isSpaceSeparator(c);
}

QString Naming::trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    // Every trimmed character lies in the Basic Multilingual Plane, so UTF-16 units suffice.
    while (begin < end && isTrimmedSpace(text[begin].unicode()))
        ++begin;
    while (end > begin && isTrimmedSpace(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString Naming::derivedTitle(QStringView content, const QString& fallback)
{
    qsizetype begin = 0;
    while (begin < content.size() && isLineBreak(content[begin].unicode()))
        ++begin;
    qsizetype end = begin;
    while (end < content.size() && !isLineBreak(content[end].unicode()))
        ++end;
    const QString title = trimmed(content.sliced(begin, end - begin));
    return title.isEmpty() ? fallback : title;
}

QString Naming::sanitizedFileName(QStringView title)
{
    QString name;
    name.reserve(title.size());
    bool inSpaceRun = false;
    // Every character this looks at lies in the Basic Multilingual Plane; surrogates pass.
    for (const QChar ch : title) {
        const char32_t c = ch.unicode();
        if (isRegexSpace(c)) {
            if (!inSpaceRun)
                name += QLatin1Char(' ');
            inSpaceRun = true;
            continue;
        }
        inSpaceRun = false;
        name += isForbiddenInFileName(c) ? QChar(u'-') : ch;
    }
    name = trimmed(name);
    // A leading full stop would hide the file, and the note would vanish at the next load.
    for (qsizetype i = 0; i < name.size() && name[i] == QLatin1Char('.'); ++i)
        name[i] = QLatin1Char('-');
    if (name.isEmpty())
        return QStringLiteral("Untitled");
    name = cutToGraphemes(name, maxTitleCharacters);
    return fitToBytes(name, maxFileNameBytes - numberSuffixReserveBytes - 1 - extension.size());
}

QString Naming::fitToBytes(const QString& text, qsizetype maxBytes)
{
    if (text.size() * 3 <= maxBytes || text.toUtf8().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    while (finder.toNextBoundary() != -1) {
        if (QStringView(text).left(finder.position()).toUtf8().size() > maxBytes)
            break;
        fits = finder.position();
    }
    return text.left(fits);
}

QString Naming::uniqueFileURL(const QString& folder, const QString& base, const QString& excluding)
{
    const auto candidateFor = [&](const QString& suffix) {
        const qsizetype room = maxFileNameBytes - suffix.toUtf8().size() - 1 - extension.size();
        return folder + QLatin1Char('/') + fitToBytes(base, room) + suffix + QLatin1Char('.') +
               extension;
    };
    QString candidate = candidateFor(QString());
    if (!excluding.isEmpty() && candidate == excluding)
        return candidate;
    for (qint64 n = 2;; ++n) {
        if (!entryExists(candidate) || candidate == excluding)
            return candidate;
        candidate = candidateFor(QStringLiteral(" (%1)").arg(n));
    }
}

bool Naming::isNoteFileName(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 && fileName.sliced(dot + 1).compare(extension, Qt::CaseInsensitive) == 0;
}

QString Naming::fileName(QStringView path)
{
    return path.sliced(path.lastIndexOf(QLatin1Char('/')) + 1).toString();
}

QString Naming::baseName(QStringView path)
{
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString Naming::folderOf(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash).toString();
}
