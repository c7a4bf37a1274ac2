#include "views/search_hits.h"

#include "store/notes_store.h"
#include "views/editor_matches.h"
#include "views/note_editor.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>

SearchHits::SearchHits(NotesStore& store, NoteEditor& editor)
    : QObject(&editor), m_store(store), m_editor(editor)
{
    QPlainTextEdit* edit = editor.textEdit();
    connect(&editor, &NoteEditor::noteOpened, this, &SearchHits::noteOpened);
    connect(&store, &NotesStore::searchTextChanged, this, &SearchHits::mark);
    EditorMatches& matches = EditorMatches::of(edit);
    connect(&matches, &EditorMatches::settled, this, [this, &matches] {
        if (!m_store.searchText().isEmpty())
            matches.matches(m_store.searchText());
        mark();
    });
    connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, this, &SearchHits::mark);
    connect(edit->horizontalScrollBar(), &QScrollBar::valueChanged, this, &SearchHits::mark);
    // A taller window shows more lines.
    connect(edit->verticalScrollBar(), &QScrollBar::rangeChanged, this, &SearchHits::mark);
    // The marks' colour is mixed from the palette: a desktop turning dark remixes it.
    edit->installEventFilter(this);
}

bool SearchHits::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        mark();
    return QObject::eventFilter(watched, event);
}

void SearchHits::noteOpened()
{
    const QString query = m_store.searchText();
    QPlainTextEdit* edit = m_editor.textEdit();
    if (query.isEmpty()) {
        mark();
        return;
    }
    const QList<TextMatches::Match> matches = EditorMatches::of(edit).matches(query);
    if (!matches.isEmpty()) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(int(matches.front().start));
        cursor.setPosition(int(matches.front().start + matches.front().length),
                           QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }
    mark();
    // Once the editor is laid out in its place, which the window does after the note is set.
    QTimer::singleShot(0, edit, [edit] { edit->ensureCursorVisible(); });
}

void SearchHits::mark()
{
    QPlainTextEdit* edit = m_editor.textEdit();
    const QString query = m_store.searchText();
    EditorMatches& editorMatches = EditorMatches::of(edit);
    if (query.isEmpty()) {
        if (!edit->extraSelections().isEmpty())
            edit->setExtraSelections({});
        return;
    }
    // Typing waits for a pause, as finding the matches reads the whole text; the marks
    // shown meanwhile move with the text around them.
    if (!editorMatches.isCurrent() && editorMatches.isSettling())
        return;
    const QList<TextMatches::Match> matches = editorMatches.matches(query);
    const QRect view = edit->viewport()->rect();
    const int first = edit->cursorForPosition(view.topLeft()).block().position();
    const QTextBlock lastBlock = edit->cursorForPosition(view.bottomRight()).block();
    const int last = lastBlock.position() + lastBlock.length();
    const auto from = std::lower_bound(
        matches.cbegin(), matches.cend(), first,
        [](const TextMatches::Match& m, qsizetype at) { return m.start + m.length <= at; });
    // The selection's colour washed into the text's background: the text on it reads as
    // on the page, and the selected match still stands out.
    const QPalette& palette = edit->palette();
    const QColor base = palette.color(QPalette::Base);
    const QColor hue = palette.color(QPalette::Highlight);
    const auto mix = [](int a, int b) { return (a * 6 + b * 4) / 10; };
    const QColor background(mix(base.red(), hue.red()), mix(base.green(), hue.green()),
                            mix(base.blue(), hue.blue()));
    QList<QTextEdit::ExtraSelection> marks;
    for (auto m = from; m != matches.cend() && m->start < last && marks.size() < mostMarked; ++m) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(edit->document());
        mark.cursor.setPosition(int(m->start));
        mark.cursor.setPosition(int(m->start + m->length), QTextCursor::KeepAnchor);
        mark.format.setBackground(background);
        marks.append(mark);
    }
    edit->setExtraSelections(marks);
}
