#include "store/text_merge.h"

#include "store/libgit2.h"

#include <QByteArray>
#include <QStringView>

#include <git2/merge.h>

namespace {

enum class LineEnd
{
    None,
    Lf,
    CrLf,
};

// Judged by the first line break: a file keeps one convention unless something converted it.
LineEnd lineEndOf(QStringView text)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    if (lf < 0)
        return LineEnd::None;
    return lf > 0 && text.at(lf - 1) == QLatin1Char('\r') ? LineEnd::CrLf : LineEnd::Lf;
}

QString withLf(const QString& text)
{
    QString copy = text;
    return copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

git_merge_file_input input(const QByteArray& bytes)
{
    git_merge_file_input in;
    git_merge_file_input_init(&in, GIT_MERGE_FILE_INPUT_VERSION);
    in.ptr = bytes.constData();
    in.size = size_t(bytes.size());
    return in;
}

std::optional<QByteArray> mergeBytes(const QByteArray& base, const QByteArray& ours,
                                     const QByteArray& theirs)
{
    Libgit2::ensure();
    const git_merge_file_input baseIn = input(base);
    const git_merge_file_input oursIn = input(ours);
    const git_merge_file_input theirsIn = input(theirs);
    git_merge_file_options options;
    git_merge_file_options_init(&options, GIT_MERGE_FILE_OPTIONS_VERSION);
    git_merge_file_result result{};
    if (git_merge_file(&result, &baseIn, &oursIn, &theirsIn, &options) != 0)
        return std::nullopt;
    std::optional<QByteArray> merged;
    if (result.automergeable)
        merged = QByteArray(result.ptr, qsizetype(result.len));
    git_merge_file_result_free(&result);
    return merged;
}

} // namespace

std::optional<QString> TextMerge::merge(const QString& base, const QString& ours,
                                        const QString& theirs)
{
    if (ours == theirs || theirs == base)
        return ours;
    if (ours == base)
        return theirs;

    const LineEnd baseEnd = lineEndOf(base);
    const LineEnd oursEnd = lineEndOf(ours);
    const LineEnd theirsEnd = lineEndOf(theirs);
    auto known = [](LineEnd end) { return end != LineEnd::None; };
    const bool mixed = (known(baseEnd) && known(oursEnd) && baseEnd != oursEnd) ||
                       (known(baseEnd) && known(theirsEnd) && baseEnd != theirsEnd) ||
                       (known(oursEnd) && known(theirsEnd) && oursEnd != theirsEnd);
    if (!mixed) {
        // Merged as they are, so a file with its own mixture of line ends keeps it.
        const auto merged = mergeBytes(base.toUtf8(), ours.toUtf8(), theirs.toUtf8());
        return merged ? std::optional(QString::fromUtf8(*merged)) : std::nullopt;
    }

    // One side converted its line ends (an editor's setting, git's autocrlf): that is no
    // conflict with the other side's words. Merge the lines, then end them the way the side
    // that converted chose.
    const auto merged =
        mergeBytes(withLf(base).toUtf8(), withLf(ours).toUtf8(), withLf(theirs).toUtf8());
    if (!merged)
        return std::nullopt;
    QString text = QString::fromUtf8(*merged);
    const LineEnd target = known(theirsEnd) && theirsEnd != baseEnd ? theirsEnd
                           : known(oursEnd)                         ? oursEnd
                                                                    : theirsEnd;
    if (target == LineEnd::CrLf)
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}
