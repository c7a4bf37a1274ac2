#include "store/text_diff.h"

#include "store/libgit2.h"

#include <QByteArray>

#include <git2/diff.h>

#include <limits>

namespace {

// Lines between the hunks are not reported (no context is asked for): they are taken from
// before, whose line numbers the hunks carry.
struct Collector
{
    QStringList before;
    qsizetype copied = 0; // lines of before already in result
    QList<TextDiff::Line> result;

    void copyUntil(qsizetype line)
    {
        for (; copied < line && copied < before.size(); ++copied)
            result.append({TextDiff::Kind::Same, before[copied]});
    }
};

QStringList splitLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line feed ends the last line; it does not begin another.
    if (text.isEmpty() || text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

int onHunk(const git_diff_delta*, const git_diff_hunk* hunk, void* payload)
{
    auto* collector = static_cast<Collector*>(payload);
    // A hunk that removes nothing is placed after its old_start line, others at it.
    collector->copyUntil(hunk->old_lines == 0 ? hunk->old_start : hunk->old_start - 1);
    return 0;
}

int onLine(const git_diff_delta*, const git_diff_hunk*, const git_diff_line* line, void* payload)
{
    auto* collector = static_cast<Collector*>(payload);
    TextDiff::Kind kind;
    switch (line->origin) {
    case GIT_DIFF_LINE_DELETION:
        kind = TextDiff::Kind::Removed;
        ++collector->copied;
        break;
    case GIT_DIFF_LINE_ADDITION:
        kind = TextDiff::Kind::Added;
        break;
    default: // no context was asked for; the "no newline at end of file" marks say nothing here
        return 0;
    }
    QByteArray content(line->content, qsizetype(line->content_len));
    if (content.endsWith('\n'))
        content.chop(1);
    collector->result.append({kind, QString::fromUtf8(content)});
    return 0;
}

// A last line without a line feed is the same line as with one: a note that grows by a line
// shows that line added, not its last line replaced.
QString ended(const QString& text)
{
    return text.isEmpty() || text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
}

} // namespace

QList<TextDiff::Line> TextDiff::lines(const QString& beforeText, const QString& afterText)
{
    const QString before = ended(beforeText);
    const QString after = ended(afterText);
    Collector collector;
    collector.before = splitLines(before);
    if (before != after) {
        Libgit2::ensure();
        const QByteArray oldBytes = before.toUtf8();
        const QByteArray newBytes = after.toUtf8();
        git_diff_options options;
        git_diff_options_init(&options, GIT_DIFF_OPTIONS_VERSION);
        options.context_lines = 0;
        options.interhunk_lines = 0;
        // A note holding a NUL byte is still a text to compare line by line.
        options.flags |= GIT_DIFF_FORCE_TEXT;
        if (git_diff_buffers(oldBytes.constData(), size_t(oldBytes.size()), nullptr,
                             newBytes.constData(), size_t(newBytes.size()), nullptr, &options,
                             nullptr, nullptr, onHunk, onLine, &collector) != 0) {
            // Shown as wholly replaced rather than as the same.
            QList<Line> replaced;
            for (const QString& line : collector.before)
                replaced.append({Kind::Removed, line});
            for (const QString& line : splitLines(after))
                replaced.append({Kind::Added, line});
            return replaced;
        }
    }
    collector.copyUntil(std::numeric_limits<qsizetype>::max());
    return collector.result;
}
