// Keeps versions in a loop, pruning now and then, until it is killed: for the history tests
// to kill it at any moment. Says "ready" once the database is open and has a version.
#include "store/history_store.h"

#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    HistoryStore history(QString::fromLocal8Bit(argv[1]));
    QDateTime at(QDate(2026, 3, 2), QTime(9, 0));
    QRandomGenerator random(QRandomGenerator::global()->generate());
    for (qint64 i = 0;; ++i) {
        QString text = QStringLiteral("Note %1\n").arg(i);
        const int length = random.bounded(20) == 0 ? 200000 : random.bounded(8000);
        for (int c = 0; c < length; ++c)
            text += QChar(u'a' + random.bounded(26));
        at = at.addSecs(random.bounded(300));
        const auto kind = i % 3 ? HistoryStore::Kind::Saved : HistoryStore::Kind::BeforeMerge;
        if (!history.keep(QStringLiteral("/Notes/%1.md").arg(i % 7), text, kind, at))
            return 1;
        if (i % 25 == 24 && !history.prune(at, {30, 365, 300 * 1024}))
            return 1;
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
