#include "store/naming.h"

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
    // Control characters: a NUL would cut the path short, and the others make names that
    // other programs show as garbage.
    if (c < 0x20 || c == 0x7F)
        return true;
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
    return ::lstat(Naming::pathBytes(path).constData(), &st) == 0;
}

constexpr char16_t byteEscape = 0xDC00;
constexpr char16_t byteOrderMark = 0xFEFF;

bool isEscapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate());
}

// Length of the valid UTF-8 sequence at bytes[i], or 0.
int utf8SequenceAt(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    int length = 0;
    char32_t min = 0;
    char32_t c = 0;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0) {
        length = 2, min = 0x80, c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, min = 0x800, c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (at(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
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
    // A byte-order mark that an editor left at the start is no part of the title.
    qsizetype begin = 0;
    while (begin < content.size() && content[begin] == QChar(byteOrderMark))
        ++begin;
    while (begin < content.size() && isLineBreak(content[begin].unicode()))
        ++begin;
    qsizetype end = begin;
    while (end < content.size() && !isLineBreak(content[end].unicode()))
        ++end;
    while (begin < end && isTrimmedSpace(content[begin].unicode()))
        ++begin;
    // A Markdown heading's marker is markup, not part of the name: other tools link to
    // "pampick.md", never to "# pampick.md".
    qsizetype hashes = 0;
    while (begin + hashes < end && content[begin + hashes] == QLatin1Char('#'))
        ++hashes;
    if (hashes >= 1 && hashes <= 6 && begin + hashes < end &&
        (content[begin + hashes] == QLatin1Char(' ') ||
         content[begin + hashes] == QLatin1Char('\t')))
        begin += hashes;
    const QString title = trimmed(content.sliced(begin, end - begin));
    return title.isEmpty() ? fallback : title;
}

QString Naming::sanitizedFileName(QStringView title)
{
    QString name;
    name.reserve(title.size());
    bool inSpaceRun = false;
    while (title.startsWith(QChar(byteOrderMark)))
        title = title.sliced(1);
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
    return fittedBase(name, maxFileNameBytes - numberSuffixReserveBytes - 1 - extension.size());
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
    if (fits > 0)
        return text.left(fits);
    // The first character alone is too long (a letter under a pile of combining marks): part
    // of it still names the note, where nothing would leave only the extension.
    for (qsizetype next = 0; next < text.size(); fits = next) {
        next += text[next].isHighSurrogate() && next + 1 < text.size() ? 2 : 1;
        if (QStringView(text).left(next).toUtf8().size() > maxBytes)
            break;
    }
    return text.left(fits);
}

QString Naming::fittedBase(const QString& base, qsizetype maxBytes)
{
    const QString fitted = fitToBytes(base, maxBytes);
    return fitted.isEmpty() ? QStringLiteral("Untitled") : fitted;
}

QString Naming::uniqueFileURL(const QString& folder, const QString& base, const QString& excluding)
{
    const auto candidateFor = [&](const QString& suffix) {
        const qsizetype room = maxFileNameBytes - suffix.toUtf8().size() - 1 - extension.size();
        return folder + QLatin1Char('/') + fittedBase(base, room) + suffix + QLatin1Char('.') +
               extension;
    };
    QString candidate = candidateFor(QString());
    if (!excluding.isEmpty() && candidate == excluding)
        return candidate;
    for (int n = 2; n <= maxNameAttempts + 1; ++n) {
        if (!entryExists(candidate) || candidate == excluding)
            return candidate;
        candidate = candidateFor(QStringLiteral(" (%1)").arg(n));
    }
    return {};
}

QString Naming::pathFromBytes(const QByteArray& bytes)
{
    QString path;
    path.reserve(bytes.size());
    qsizetype begin = 0; // start of the valid run not yet appended
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        path += QString::fromUtf8(bytes.constData() + begin, i - begin);
        path += QChar(char16_t(byteEscape + static_cast<unsigned char>(bytes[i])));
        begin = ++i;
    }
    if (begin == 0)
        return QString::fromUtf8(bytes);
    path += QString::fromUtf8(bytes.constData() + begin, bytes.size() - begin);
    return path;
}

QByteArray Naming::pathBytes(QStringView path)
{
    if (isValidUtf8Name(path))
        return path.toUtf8();
    QByteArray bytes;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscapedByte(path, i))
            continue;
        bytes += path.sliced(begin, i - begin).toUtf8();
        bytes += char(path[i].unicode() - byteEscape);
        begin = i + 1;
    }
    bytes += path.sliced(begin).toUtf8();
    return bytes;
}

bool Naming::isValidUtf8Name(QStringView path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i].isLowSurrogate() && isEscapedByte(path, i))
            return false;
    }
    return true;
}

QString Naming::readableName(const QString& name)
{
    if (isValidUtf8Name(name))
        return name;
    QString readable = name;
    for (qsizetype i = 0; i < readable.size(); ++i) {
        if (isEscapedByte(name, i))
            readable[i] = QChar::ReplacementCharacter;
    }
    return readable;
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
