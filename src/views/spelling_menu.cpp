#include "views/spelling_menu.h"

#include "store/spell_checker.h"
#include "views/spelling_settings.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

SpellingMenu::SpellingMenu(QPlainTextEdit& edit, SpellingSettings& spelling)
    : QObject(&edit), m_edit(edit), m_spelling(spelling)
{
    m_edit.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_edit, &QWidget::customContextMenuRequested, this, &SpellingMenu::popup);
}

void SpellingMenu::popup(const QPoint& pos)
{
    QMenu* menu = menuAt(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_edit.viewport()->mapToGlobal(pos));
}

QMenu* SpellingMenu::menuAt(const QPoint& pos)
{
    QMenu* menu = m_edit.createStandardContextMenu();
    const SpellChecker* checker = m_spelling.checker();
    if (!checker || m_edit.isReadOnly())
        return menu;
    const QTextCursor at = m_edit.cursorForPosition(pos);
    const QTextBlock block = at.block();
    const QString text = block.text();
    const qsizetype inBlock = at.positionInBlock();
    // Corrections only where the editor drew the wavy line: a word inside code, an address or
    // a link between notes is not prose, and offering to "correct" it would break it.
    const auto underlined = [&block](qsizetype start) {
        const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
        return std::any_of(formats.cbegin(), formats.cend(), [start](const auto& range) {
            return range.start <= start && start < range.start + range.length &&
                   range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline;
        });
    };
    for (const Misspelling& wrong : checker->misspellings(text)) {
        // A click just after the word's last letter is still on it.
        if (inBlock < wrong.start || inBlock > wrong.start + wrong.length ||
            !underlined(wrong.start))
            continue;
        const QString word = text.mid(wrong.start, wrong.length);
        const int position = block.position() + int(wrong.start);
        QAction* first = menu->actions().value(0);
        const QStringList offered = m_spelling.suggestions(word);
        for (const QString& suggestion : offered) {
            auto* choose =
                new QAction(QString(suggestion).replace(u'&', QStringLiteral("&&")), menu);
            connect(choose, &QAction::triggered, this,
                    [this, position, word, suggestion] { replace(position, word, suggestion); });
            menu->insertAction(first, choose);
        }
        if (offered.isEmpty()) {
            auto* none = new QAction(tr("No Suggestions"), menu);
            none->setEnabled(false);
            menu->insertAction(first, none);
        }
        auto* add = new QAction(tr("Add to Dictionary"), menu);
        connect(add, &QAction::triggered, &m_spelling,
                [this, word] { m_spelling.addToDictionary(word); });
        menu->insertAction(first, add);
        menu->insertSeparator(first);
        break;
    }
    return menu;
}

void SpellingMenu::replace(int position, const QString& word, const QString& with)
{
    if (m_edit.isReadOnly() || position + word.size() >= m_edit.document()->characterCount())
        return;
    QTextCursor cursor(m_edit.document());
    cursor.setPosition(position);
    cursor.setPosition(position + int(word.size()), QTextCursor::KeepAnchor);
    // The note changed while the menu was open (another program wrote it): the word is not
    // where it was, and whatever is there now stays.
    if (cursor.selectedText() != word)
        return;
    // One step to undo, and an edit like any typed one, so the note is saved.
    cursor.beginEditBlock();
    cursor.insertText(with);
    cursor.endEditBlock();
    m_edit.setTextCursor(cursor);
}
