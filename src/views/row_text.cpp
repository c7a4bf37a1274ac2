#include "views/row_text.h"

#include "store/conflict_copies.h"
#include "store/naming.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

namespace {

QString rowDateFormat()
{
    const QLocale locale = QLocale::system();
    QString date = locale.dateFormat(QLocale::LongFormat);
    date.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*|\\s*[,.]?\\s*d{4}")));
    date.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    // Some locales' short time (C's among them) carries seconds, which a list never needs.
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QRegularExpression(QStringLiteral("[:.]s{1,2}")));
    return date.trimmed() + QLatin1Char(' ') + time;
}

} // namespace

QString RowText::date(const QDateTime& when)
{
    static const QString format = rowDateFormat();
    return QLocale::system().toString(when.toLocalTime(), format);
}

QString RowText::conflictOf(const QString& original)
{
    return QCoreApplication::translate("RowText", "Conflict copy of “%1”").arg(original);
}

QString RowText::originalOf(const Note& note)
{
    return ConflictCopies::originalOf(Naming::baseName(note.url));
}

QString RowText::spoken(const Note& note)
{
    const QString original = originalOf(note);
    QString text = note.title + QStringLiteral(", ");
    if (!original.isEmpty())
        text += conflictOf(original) + QStringLiteral(", ");
    return text + date(note.lastModified);
}
