#include "store/conflict_copies.h"

#include "store/naming.h"

#include <QRegularExpression>

namespace {

// A number another copy of the same name got, as in "Plan (conflict 2026-12-06 101500) (2)".
#define NUMBERED "(?: \\(\\d+\\))?"

// Syncthing: "Plan.sync-conflict-20261206-101500-ABCDEFG", the suffix is the device's short id.
// Nextcloud: "Plan (conflicted copy 2026-12-06 101500)", newer clients add the user's name
// before the date; Dropbox: "Plan (Ana's conflicted copy 2026-12-06)"; ours:
// "Plan (conflict 2026-12-06 101500)". File names may hold any character but '/', line
// breaks included.
const QRegularExpression& pattern()
{
    static const QRegularExpression expression(
        QStringLiteral("^(?:(.+)\\.sync-conflict-\\d{8}-\\d{6}-[0-9A-Za-z]{7}"
                       "|(.+) \\((?:[^()]+ )?conflicted copy (?:[^()]+ )?\\d{4}-\\d{2}-\\d{2}"
                       "(?: \\d{6})?\\)" NUMBERED
                       "|(.+) \\(conflict \\d{4}-\\d{2}-\\d{2} \\d{6}\\)" NUMBERED ")$"),
        QRegularExpression::DotMatchesEverythingOption);
    return expression;
}

#undef NUMBERED

} // namespace

QString ConflictCopies::originalOf(QStringView baseName)
{
    const QRegularExpressionMatch match = pattern().match(baseName);
    if (!match.hasMatch())
        return {};
    for (int group = 1; group <= 3; ++group) {
        if (match.hasCaptured(group))
            return match.captured(group);
    }
    return {};
}

QString ConflictCopies::ourCopyName(const QString& original, const QDateTime& when,
                                    qsizetype maxBytes)
{
    const QString suffix =
        QStringLiteral(" (conflict %1)")
            .arg(when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    return Naming::fittedBase(original, maxBytes - suffix.toUtf8().size()) + suffix;
}
