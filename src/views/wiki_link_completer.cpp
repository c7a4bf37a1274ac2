#include "views/wiki_link_completer.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTextBlock>

namespace {

// Longer than any title a person types between brackets: past it, "[[" was something else.
constexpr qsizetype longestTyped = 200;

} // namespace

WikiLinkCompleter::WikiLinkCompleter(QPlainTextEdit* edit, Titles titles)
    : QObject(edit), m_edit(edit), m_titles(std::move(titles)), m_model(new QStringListModel(this)),
      m_completer(new QCompleter(m_model, this))
{
    m_completer->setWidget(edit);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setMaxVisibleItems(10);
    // Ahead of the completer's own filter: Enter completes the link rather than also breaking
    // the line.
    m_completer->popup()->installEventFilter(this);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            &WikiLinkCompleter::complete);
    followDocument();
    connect(edit, &QPlainTextEdit::textChanged, this, [this] {
        if (std::exchange(m_typed, false))
            offer();
    });
}

void WikiLinkCompleter::followDocument()
{
    disconnect(m_contents);
    // Only what the user types at the cursor, not a note being loaded.
    m_contents = connect(m_edit->document(), &QTextDocument::contentsChange, this,
                         [this](int position, int removed, int added) {
                             m_typed = (added > 0 || removed > 0) &&
                                       m_edit->textCursor().position() == position + added;
                         });
}

std::optional<QString> WikiLinkCompleter::typedTitle() const
{
    const QTextCursor cursor = m_edit->textCursor();
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    const qsizetype open = before.lastIndexOf(QStringLiteral("[["));
    if (open < 0)
        return std::nullopt;
    const QString typed = before.mid(open + 2);
    if (typed.size() > longestTyped || typed.contains(u'[') || typed.contains(u']'))
        return std::nullopt;
    return typed;
}

void WikiLinkCompleter::offer()
{
    const std::optional<QString> typed = typedTitle();
    if (!typed) {
        m_completer->popup()->hide();
        return;
    }
    if (!m_completer->popup()->isVisible())
        m_model->setStringList(m_titles());
    m_completer->setCompletionPrefix(*typed);
    if (m_completer->completionCount() == 0) {
        m_completer->popup()->hide();
        return;
    }
    QRect place = m_edit->cursorRect();
    place.setWidth(m_completer->popup()->sizeHintForColumn(0) + 24);
    m_completer->complete(place);
    m_completer->popup()->setCurrentIndex(m_completer->completionModel()->index(0, 0));
}

void WikiLinkCompleter::complete(const QString& title)
{
    const std::optional<QString> typed = typedTitle();
    if (!typed)
        return;
    QTextCursor cursor = m_edit->textCursor();
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(typed->size()));
    const QString after = cursor.block().text().mid(cursor.positionInBlock() + typed->size());
    cursor.insertText(title);
    if (after.startsWith(QStringLiteral("]]")))
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    else
        cursor.insertText(QStringLiteral("]]"));
    cursor.endEditBlock();
    m_edit->setTextCursor(cursor);
}

bool WikiLinkCompleter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_completer->popup() || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    QAbstractItemView* popup = m_completer->popup();
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab: {
        const QModelIndex current = popup->currentIndex().isValid()
                                        ? popup->currentIndex()
                                        : m_completer->completionModel()->index(0, 0);
        popup->hide();
        if (current.isValid())
            complete(current.data().toString());
        return true;
    }
    case Qt::Key_Escape:
        popup->hide();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
