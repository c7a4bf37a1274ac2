#include "views/find_bar.h"

#include "views/editor_matches.h"

#include <QAction>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

FindBar::FindBar(QPlainTextEdit* edit, QWidget* parent)
    : QWidget(parent), m_edit(edit), m_find(new QLineEdit(this)), m_count(new QLabel(this)),
      m_previous(new QPushButton(tr("Previous"), this)), m_next(new QPushButton(tr("Next"), this)),
      m_replaceRow(new QWidget(this)), m_replace(new QLineEdit(m_replaceRow)),
      m_replaceOne(new QPushButton(tr("Replace"), m_replaceRow)),
      m_replaceAll(new QPushButton(tr("Replace All"), m_replaceRow))
{
    m_find->setPlaceholderText(tr("Find in Note"));
    m_find->setAccessibleName(tr("Find in Note"));
    m_find->setClearButtonEnabled(true);
    m_replace->setPlaceholderText(tr("Replace With"));
    m_replace->setAccessibleName(tr("Replace With"));
    m_count->setForegroundRole(QPalette::PlaceholderText);
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(tr("999 of 999")));
    // A narrow editor squeezes the buttons' neighbours first: the fields keep room for a word
    // or two, and the window grows the editor's side instead.
    for (QLineEdit* field : {m_find, m_replace})
        field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 16);
    for (QPushButton* button : {m_previous, m_next, m_replaceOne, m_replaceAll})
        button->setAutoDefault(false);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(m_find, 1);
    findRow->addWidget(m_count);
    findRow->addWidget(m_previous);
    findRow->addWidget(m_next);
    rows->addLayout(findRow);
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replaceRow->addWidget(m_replace, 1);
    replaceRow->addWidget(m_replaceOne);
    replaceRow->addWidget(m_replaceAll);
    rows->addWidget(m_replaceRow);

    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &FindBar::close);
    addAction(escape);
    m_find->installEventFilter(this);
    m_replace->installEventFilter(this);
    connect(m_previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(m_next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(m_replaceOne, &QPushButton::clicked, this, &FindBar::replace);
    connect(m_replaceAll, &QPushButton::clicked, this, &FindBar::replaceAll);
    connect(m_find, &QLineEdit::textEdited, this, &FindBar::queryEdited);
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &FindBar::showCount);
    EditorMatches& matches = EditorMatches::of(m_edit);
    connect(&matches, &EditorMatches::settled, this, [this, &matches] {
        if (!isHidden() && !m_find->text().isEmpty())
            matches.matches(m_find->text());
        showCount();
    });
    hide();
}

void FindBar::openFind()
{
    open(false);
}

void FindBar::openReplace()
{
    open(true);
}

void FindBar::open(bool withReplace)
{
    const QString selected = m_edit->textCursor().selectedText();
    // A selection across lines is not what anyone looks for.
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) &&
        selected != m_find->text()) {
        m_find->setText(selected);
        queryEdited();
    }
    m_replaceRow->setVisible(withReplace);
    m_replaceOne->setEnabled(!m_edit->isReadOnly());
    m_replaceAll->setEnabled(!m_edit->isReadOnly());
    show();
    if (!m_find->text().isEmpty())
        EditorMatches::of(m_edit).matches(m_find->text());
    showCount();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

void FindBar::close()
{
    hide();
    m_edit->setFocus(Qt::OtherFocusReason);
}

void FindBar::findNext()
{
    step(false);
}

void FindBar::findPrevious()
{
    step(true);
}

void FindBar::step(bool backward)
{
    if (m_find->text().isEmpty()) {
        openFind();
        return;
    }
    show();
    const QList<TextMatches::Match> matches = EditorMatches::of(m_edit).matches(m_find->text());
    const QTextCursor cursor = m_edit->textCursor();
    const qsizetype at =
        TextMatches::nextIndex(matches, cursor.selectionStart(), cursor.selectionEnd(), backward);
    if (at >= 0)
        select(matches[at].start, matches[at].length);
    showCount();
}

// Typing the query keeps the match in place while it still matches, as the field grows.
void FindBar::queryEdited()
{
    const QList<TextMatches::Match> matches = EditorMatches::of(m_edit).matches(m_find->text());
    const qsizetype from = m_edit->textCursor().selectionStart();
    const qsizetype at = TextMatches::nextIndex(matches, from, from, false);
    if (at >= 0)
        select(matches[at].start, matches[at].length);
    showCount();
}

void FindBar::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
}

void FindBar::showCount()
{
    // While the text changes the count waits for a pause: counting folds the whole text.
    if (isHidden() || !EditorMatches::of(m_edit).isCurrent())
        return;
    if (m_find->text().isEmpty()) {
        sayCount({});
        return;
    }
    const QList<TextMatches::Match> matches = EditorMatches::of(m_edit).matches(m_find->text());
    const QTextCursor cursor = m_edit->textCursor();
    const qsizetype at =
        TextMatches::indexOf(matches, cursor.selectionStart(), cursor.selectionEnd());
    if (matches.isEmpty())
        sayCount(tr("No matches"));
    else if (at >= 0)
        sayCount(tr("%1 of %2").arg(at + 1).arg(matches.size()));
    else
        sayCount(tr("%n matches", nullptr, int(matches.size())));
}

// The label is its own accessible name, and the field's description says it too: a screen
// reader in the field hears the count, not only "Find in Note".
void FindBar::sayCount(const QString& count)
{
    m_count->setText(count);
    m_find->setAccessibleDescription(count);
}

void FindBar::replace()
{
    if (m_edit->isReadOnly() || m_find->text().isEmpty())
        return;
    const QList<TextMatches::Match> matches = EditorMatches::of(m_edit).matches(m_find->text());
    QTextCursor cursor = m_edit->textCursor();
    if (TextMatches::indexOf(matches, cursor.selectionStart(), cursor.selectionEnd()) >= 0) {
        cursor.insertText(m_replace->text());
        m_edit->setTextCursor(cursor);
    }
    findNext();
}

void FindBar::replaceAll()
{
    if (m_edit->isReadOnly() || m_find->text().isEmpty())
        return;
    const QList<TextMatches::Match> matches = EditorMatches::of(m_edit).matches(m_find->text());
    if (matches.isEmpty())
        return;
    // From the end, so that the positions still to replace stay where they were found.
    QTextCursor cursor(m_edit->document());
    cursor.beginEditBlock();
    for (auto match = matches.crbegin(); match != matches.crend(); ++match) {
        cursor.setPosition(int(match->start));
        cursor.setPosition(int(match->start + match->length), QTextCursor::KeepAnchor);
        cursor.insertText(m_replace->text());
    }
    cursor.endEditBlock();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const bool back = key->modifiers() & Qt::ShiftModifier;
            if (watched == m_replace && !back)
                replace();
            else
                step(back);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
