#include "store/list_diff.h"
#include "store/note_list.h"
#include "store/title_order.h"
#include "test_support.h"

#include <QTest>

#include <numeric>

using namespace Day;

// What a view of the list sees: the list's signals, followed on a copy of its rows.
class Follower
{
public:
    explicit Follower(const NoteList& list) : m_list(list)
    {
        QObject::connect(&list, &NoteList::rowsAboutToBeInserted, [this](qsizetype f, qsizetype l) {
            m_pending = f;
            steps += QStringLiteral("i%1-%2 ").arg(f).arg(l);
        });
        QObject::connect(&list, &NoteList::rowsInserted, [this](qsizetype f, qsizetype l) {
            QVERIFY(m_pending == f);
            for (qsizetype row = f; row <= l; ++row)
                rows.insert(row, name(m_list.notes().at(row)));
        });
        QObject::connect(&list, &NoteList::rowsAboutToBeRemoved, [this](qsizetype f, qsizetype l) {
            steps += QStringLiteral("r%1-%2 ").arg(f).arg(l);
            rows.remove(f, l - f + 1);
        });
        QObject::connect(&list, &NoteList::rowAboutToBeMoved, [this](qsizetype from, qsizetype to) {
            steps += QStringLiteral("m%1>%2 ").arg(from).arg(to);
            rows.move(from, to);
        });
        QObject::connect(&list, &NoteList::rowsChanged, [this](qsizetype f, qsizetype l) {
            steps += QStringLiteral("c%1-%2 ").arg(f).arg(l);
            for (qsizetype row = f; row <= l; ++row)
                rows[row] = name(m_list.notes().at(row));
        });
        QObject::connect(&list, &NoteList::reset, [this] {
            steps += QStringLiteral("reset ");
            rows.clear();
            for (const Note& note : m_list.notes())
                rows.append(name(note));
        });
    }
    static QString name(const Note& note) { return note.url.mid(7).chopped(3) + note.title; }
    QStringList listed() const
    {
        QStringList all;
        for (const Note& note : m_list.notes())
            all.append(name(note));
        return all;
    }
    QString takeSteps() { return std::exchange(steps, {}).trimmed(); }

    QStringList rows;
    QString steps;

private:
    const NoteList& m_list;
    qsizetype m_pending = -1;
};

class NoteListTest : public QObject
{
    Q_OBJECT

private slots:
    void aViewFollowsEveryChange();
    void reloadsAreTheFewStepsBetween_data();
    void reloadsAreTheFewStepsBetween();
    void searchesHideAndShowRanges_data();
    void searchesHideAndShowRanges();
    void titlesInNaturalOrder_data();
    void titlesInNaturalOrder();
    void aNewOrderMovesRows_data();
    void aNewOrderMovesRows();
};

namespace {

Note note(const QString& name, const QDateTime& modified, const QString& title = {})
{
    Note n;
    n.url = "/Notes/" + name + ".md";
    n.title = title;
    n.lastModified = modified;
    n.setContent(name);
    return n;
}

// Names newest first, a minute apart.
QList<Note> notes(const QString& names)
{
    QList<Note> all;
    const QStringList list = names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < list.size(); ++i)
        all.append(note(list[i], monday.addSecs(-60 * i)));
    return all;
}

} // namespace

// Saves move one row and change it; a new note comes in at its date, a renamed one changes
// in place: the view is told each step, in the coordinates of the moment.
void NoteListTest::aViewFollowsEveryChange()
{
    NoteList list;
    Follower view(list);
    list.replace(notes("a b c d e"));
    QCOMPARE(view.takeSteps(), "i0-4");
    list.putSaved("/Notes/d.md", note("d", tuesday, "D"));
    QCOMPARE(view.takeSteps(), "m3>0 c0-0");
    list.putSaved("/Notes/b.md", note("bee", monday.addSecs(-3600), "B"));
    QCOMPARE(view.takeSteps(), "m2>4 c4-4");
    list.add(note("new", monday.addSecs(-150)));
    QCOMPARE(view.takeSteps(), "i3-3");
    list.rename("/Notes/c.md", "/Notes/see.md", "See");
    QCOMPARE(view.takeSteps(), "c2-2");
    list.remove("/Notes/a.md");
    QCOMPARE(view.takeSteps(), "r1-1");
    list.putSaved("/Notes/gone.md", note("came back", wednesday));
    QCOMPARE(view.takeSteps(), "i0-0");
    QCOMPARE(view.rows, view.listed());
    QCOMPARE(view.rows, QStringList({"came back", "dD", "seeSee", "new", "e", "beeB"}));
}

// The diff's steps followed on rows (new rows taken from next), told as "r0-1 m2>0 i3-3 c4".
template <typename Rows> QString follow(const ListDiff& diff, Rows& rows, const Rows& next)
{
    QStringList told;
    if (diff.reset)
        told.append("reset");
    for (const ListDiff::Step& step : diff.steps) {
        const auto at = rows.begin() + step.first;
        switch (step.kind) {
        case ListDiff::Step::Kind::Remove:
            told.append(QStringLiteral("r%1-%2").arg(step.first).arg(step.last));
            rows.erase(at, at + (step.last - step.first + 1));
            break;
        case ListDiff::Step::Kind::Move:
            told.append(QStringLiteral("m%1>%2").arg(step.first).arg(step.last));
            step.first < step.last ? std::rotate(at, at + 1, rows.begin() + step.last + 1)
                                   : std::rotate(rows.begin() + step.last, at, at + 1);
            break;
        case ListDiff::Step::Kind::Insert:
            told.append(QStringLiteral("i%1-%2").arg(step.first).arg(step.last));
            for (qsizetype j = step.first; j <= step.last; ++j)
                rows.insert(rows.begin() + j, next[j]);
            break;
        }
    }
    for (const qsizetype row : diff.changed)
        told.append(QStringLiteral("c%1").arg(row));
    return told.join(QLatin1Char(' '));
}

void NoteListTest::reloadsAreTheFewStepsBetween_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after"); // a name ending in * was rewritten
    QTest::addColumn<QString>("steps");
    row("nothing changed", QString("a b c"), QString("a b c"), QString());
    row("first load", QString(), QString("a b c"), QString("i0-2"));
    row("folder emptied", QString("a b c"), QString(), QString("r0-2"));
    row("one rewritten by another program", QString("a b c d"), QString("c* a b d"),
        QString("m2>0 c0"));
    row("several arrive in one refresh", QString("a b c"), QString("x a y z b c"),
        QString("i0-0 i2-3"));
    row("gone and come", QString("a b c d e"), QString("a x c e*"), QString("r3-3 r1-1 i1-1 c3"));
    row("reversed", QString("a b c d"), QString("d c b a"), QString("m2>3 m1>3 m0>3"));
    row("nothing in common", QString("a b"), QString("c d"), QString("reset"));
    QString many;
    QString shuffled;
    for (int i = 0; i < 70; ++i) {
        many += QStringLiteral("n%1 ").arg(i);
        shuffled += QStringLiteral("n%1 x%1 ").arg(i);
    }
    row("more steps than a reset costs", many, shuffled, QString("reset"));
}

// The steps, followed on the old rows, give the new ones; a row is told changed only when
// what it shows changed.
void NoteListTest::reloadsAreTheFewStepsBetween()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, steps);
    const auto records = [](const QString& names) {
        QList<Note> all;
        for (QString name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const bool rewritten = name.endsWith(QLatin1Char('*'));
            name.remove(QLatin1Char('*'));
            all.append(note(name, rewritten ? tuesday : monday));
        }
        return all;
    };
    const auto urls = [](const QList<Note>& notes) {
        QStringList all;
        for (const Note& n : notes)
            all.append(n.url);
        return all;
    };
    const QList<Note> next = records(after);
    const ListDiff diff = ListDiff::between(records(before), next);
    QStringList rows = urls(records(before));
    QCOMPARE(follow(diff, rows, urls(next)), steps);
    if (!diff.reset)
        QCOMPARE(rows, urls(next));
}

void NoteListTest::searchesHideAndShowRanges_data()
{
    using Rows = std::vector<qsizetype>;
    QTest::addColumn<Rows>("shown");
    QTest::addColumn<Rows>("next");
    QTest::addColumn<QString>("steps");
    row("typed on", Rows{0, 1, 2, 5, 6, 9}, Rows{1, 5, 9}, QString("r4-4 r2-2 r0-0"));
    row("backspace", Rows{1, 5, 9}, Rows{0, 1, 2, 5, 6, 9}, QString("i0-0 i2-2 i4-4"));
    row("other notes", Rows{0, 2}, Rows{1, 3}, QString("r0-1 i0-1"));
    Rows every(200);
    std::iota(every.begin(), every.end(), qsizetype(0));
    Rows even;
    for (qsizetype i = 0; i < 200; i += 2)
        even.push_back(i);
    row("a hundred ranges", every, even, QString("reset"));
}

void NoteListTest::searchesHideAndShowRanges()
{
    QFETCH(std::vector<qsizetype>, shown);
    QFETCH(std::vector<qsizetype>, next);
    QFETCH(QString, steps);
    const ListDiff diff = ListDiff::ofPositions(shown, next);
    QCOMPARE(follow(diff, shown, next), steps);
    if (!diff.reset)
        QCOMPARE(shown, next);
}

void NoteListTest::titlesInNaturalOrder_data()
{
    QTest::addColumn<QStringList>("newestFirst");
    QTest::addColumn<QStringList>("byTitle");
    row("numbers by value", QStringList{"Note 10", "Note 2", "Note 1"},
        QStringList{"Note 1", "Note 2", "Note 10"});
    row("case ignored, equal titles newest first",
        QStringList{"banana", "Apple", "apple", "Cherry"},
        QStringList{"Apple", "apple", "banana", "Cherry"});
    row("accents beside their letter", QStringList{"Ezra", "Zoo", "Éclair", "Eagle"},
        QStringList{"Eagle", "Éclair", "Ezra", "Zoo"});
    row("dates in titles", QStringList{"Daily 2026-03-09", "Daily 2026-03-10", "Daily 2026-3-8"},
        QStringList{"Daily 2026-3-8", "Daily 2026-03-09", "Daily 2026-03-10"});
}

void NoteListTest::titlesInNaturalOrder()
{
    QFETCH(QStringList, newestFirst);
    QFETCH(QStringList, byTitle);
    QList<Note> list;
    for (const QString& title : newestFirst)
        list.append(note(title, monday, title));
    QStringList sorted;
    for (const qsizetype position :
         TitleOrder::sorted(list, QLocale(QLocale::English, QLocale::UnitedStates)))
        sorted.append(list.at(position).title);
    QCOMPARE(sorted, byTitle);
}

void NoteListTest::aNewOrderMovesRows_data()
{
    using Rows = std::vector<qsizetype>;
    QTest::addColumn<Rows>("shown");
    QTest::addColumn<Rows>("next");
    QTest::addColumn<QString>("steps");
    row("a title changed", Rows{4, 0, 3, 1}, Rows{0, 3, 1, 4}, QString("m0>3"));
    row("narrowed and grown", Rows{4, 0, 3, 1}, Rows{2, 4, 1}, QString("r1-2 i0-0"));
    Rows every(200);
    std::iota(every.begin(), every.end(), qsizetype(0));
    row("the other order", every, Rows(every.rbegin(), every.rend()), QString("reset"));
}

void NoteListTest::aNewOrderMovesRows()
{
    QFETCH(std::vector<qsizetype>, shown);
    QFETCH(std::vector<qsizetype>, next);
    QFETCH(QString, steps);
    const ListDiff diff = ListDiff::ofOrder(shown, next);
    QCOMPARE(follow(diff, shown, next), steps);
    if (!diff.reset)
        QCOMPARE(shown, next);
}

QUILLBOX_TEST_MAIN(NoteListTest)
#include "tst_note_list.moc"
