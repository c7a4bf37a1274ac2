#include "spelling_bench.h"

#include "store/enchant_spell_checker.h"

#include <QElapsedTimer>
#include <QStringList>

#include <memory>

namespace {

// 60 lines of about 80 characters of English prose, a few words misspelled, with far more
// distinct words than a real screen holds so that the first pass asks the dictionary often.
QStringList screenOfProse()
{
    const QStringList words =
        QStringLiteral(
            "the morning meeting moved to Thursday because several people were travelling and "
            "nobody wanted to decide the budget without hearing from finance first; we agreed to "
            "write down every open question, send teh list around, and recieve answers before "
            "lunch. Groceries: apples, bread, coffee, butter, eggs, spinach, tomatoes, onions, "
            "garlic and a bottle of olive oil. Remember to call the plumber about the kitchen "
            "sink, which still drips at night, and ask whether the warranty covers the new tap. "
            "Reading list for the holidays includes two novels, a history of cartography and an "
            "essay collection about gardens, weather, patience and the art of doing nothing well.")
            .split(u' ');
    QStringList lines;
    qsizetype next = 0;
    while (lines.size() < 60) {
        QString line;
        while (line.size() < 75)
            line += words[next++ % words.size()] + u' ';
        lines.append(line);
        // Shifted by one, so the lines differ.
        ++next;
    }
    return lines;
}

double checkMs(const EnchantSpellChecker& checker, const QStringList& screen, qsizetype& found)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& line : screen)
        found += checker.misspellings(line).size();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

namespace SpellingBench {

void run(QTextStream& out)
{
    QElapsedTimer timer;
    timer.start();
    const auto checker = std::make_unique<EnchantSpellChecker>(QStringLiteral("en_US"));
    const double open = timer.nsecsElapsed() / 1e6;
    const QStringList screen = screenOfProse();
    qsizetype found = 0;
    const double first = checkMs(*checker, screen, found);
    double again = 1e9;
    for (int run = 0; run < 5; ++run)
        again = std::min(again, checkMs(*checker, screen, found));
    out << QStringLiteral("spelling (%1): opening the dictionary %2 ms; a screen of 60 x 80 "
                          "characters, first %3 ms, checked again %4 ms (%5 misspelled)\n")
               .arg(checker->language())
               .arg(open, 0, 'f', 1)
               .arg(first, 0, 'f', 2)
               .arg(again, 0, 'f', 3)
               .arg(found / 6);
}

} // namespace SpellingBench
