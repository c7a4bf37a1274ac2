#include "note_generator.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const QStringList& words()
{
    static const QStringList list =
        QStringLiteral(
            "the of and to in is that for it as with was on be by at this have from or one had not "
            "but what all were when we there can an your which their said if do will each about "
            "how "
            "up out them then she many some so these would other into has more her two like him "
            "see "
            "time could no make than first been its who now people my made over did down only way "
            "find use may water long little very after words called just where most know get "
            "through "
            "back much before go good new write our used me man too any day same right look think "
            "also around another came come work three word must because does part even place well "
            "such here take why things help put years different away again off went old number "
            "meeting project budget garden recipe travel plan ideas book chapter draft review "
            "notes "
            "groceries milk eggs bread coffee tea apples library invoice contract schedule weekend "
            "monday tuesday friday morning evening call email follow decision release bug feature "
            "café naïve Straße résumé Zürich crème brûlée jalapeño façade São Paulo Ærø Kraków "
            "東京 北京 日本語 Привет мир Ελλάδα")
            .split(QLatin1Char(' '));
    return list;
}

} // namespace

QString NoteGenerator::sentence(QRandomGenerator& random, int length)
{
    QStringList picked;
    for (int i = 0; i < length; ++i)
        picked.append(words()[random.bounded(int(words().size()))]);
    picked[0][0] = picked[0][0].toUpper();
    return picked.join(QLatin1Char(' ')) + QLatin1Char('.');
}

QString NoteGenerator::text(QRandomGenerator& random, int minLength)
{
    QString title = sentence(random, 3 + int(random.bounded(4)));
    title.chop(1);
    QString text = title + QStringLiteral("\n\n");
    while (text.size() < minLength) {
        text += sentence(random, 8 + int(random.bounded(12)));
        text += random.bounded(4) == 0 ? QStringLiteral("\n\n") : QStringLiteral(" ");
    }
    return text;
}

qint64 NoteGenerator::fill(const QString& folder, int count)
{
    QRandomGenerator random(20261206);
    qint64 total = 0;
    for (int n = 0; n < count; ++n) {
        const QString text = NoteGenerator::text(random, 2000);
        const QByteArray bytes = text.toUtf8();
        QString name = text.section(QLatin1Char('\n'), 0, 0);
        name.replace(QLatin1Char('/'), QLatin1Char('-'));
        QFile file(QStringLiteral("%1/%2 %3.md").arg(folder, name).arg(n));
        if (file.open(QIODevice::WriteOnly))
            total += file.write(bytes);
    }
    return total;
}
