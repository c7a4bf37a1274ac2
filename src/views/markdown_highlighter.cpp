#include "views/markdown_highlighter.h"

#include "store/spell_checker.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

using MarkdownSpans::State;

namespace {

// A line's user state holds the state it starts in and the one it passes on.
constexpr int stateBits = 12;
constexpr int stateMask = (1 << stateBits) - 1;

int entryOf(int userState)
{
    return userState >> stateBits;
}

int exitOf(int userState)
{
    return userState & stateMask;
}

// Of a line: what its formats were made from, so that a line scrolled back into view is not
// formatted again.
struct Formatted : QTextBlockUserData
{
    int revision = -1;
    int entry = -1;
    int generation = 0;
};

// More changed lines than fit on a screen are left to the pass over the lines shown.
constexpr int linesFormattedAtOnce = 200;

} // namespace

MarkdownHighlighter::MarkdownHighlighter(QPlainTextEdit* edit)
    : QObject(edit), m_edit(edit), m_viewport(edit->viewport()), m_document(edit->document()),
      m_formats(edit->palette()), m_blockCount(edit->document()->blockCount())
{
    connect(m_document, &QTextDocument::contentsChange, this,
            &MarkdownHighlighter::contentsChanged);
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &MarkdownHighlighter::highlightVisible);
    m_edit->installEventFilter(this);
    m_viewport->installEventFilter(this);
    highlightLater();
}

void MarkdownHighlighter::followDocument()
{
    if (m_document == m_edit->document())
        return;
    disconnect(m_document, nullptr, this, nullptr);
    m_document = m_edit->document();
    connect(m_document, &QTextDocument::contentsChange, this,
            &MarkdownHighlighter::contentsChanged);
    m_blockCount = m_document->blockCount();
    m_knownStates = 0;
    restyle();
}

void MarkdownHighlighter::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restyle();
}

void MarkdownHighlighter::setSpellChecker(const SpellChecker* checker)
{
    // The same checker again means its verdicts changed (a word was added): restyle anyway.
    m_spell = checker;
    restyle();
}

void MarkdownHighlighter::restyle()
{
    ++m_generation;
    if (!active()) {
        // Only lines shown since the note was loaded have formats to take away.
        for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
            if (block.userData() && !block.layout()->formats().isEmpty())
                setFormats(block, {});
        }
        return;
    }
    highlightVisible();
}

bool MarkdownHighlighter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::PaletteChange) {
        m_formats = MarkdownFormats(m_edit->palette());
        restyle();
    } else if (watched == m_viewport &&
               (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        highlightLater();
    }
    return QObject::eventFilter(watched, event);
}

void MarkdownHighlighter::contentsChanged(int position, int /*removed*/, int added)
{
    // Our own formats mark lines as changed too.
    if (m_formatting)
        return;
    const QTextBlock first = m_document->findBlock(position);
    QTextBlock last = m_document->findBlock(position + added);
    if (!last.isValid())
        last = m_document->lastBlock();
    const int delta = m_document->blockCount() - m_blockCount;
    m_blockCount = m_document->blockCount();
    const int known = m_knownStates;
    m_knownStates = std::min(m_knownStates, first.blockNumber());
    if (!active())
        return;
    if (last.blockNumber() - first.blockNumber() < linesFormattedAtOnce) {
        // Formatted before the change is painted, or the line would flash plain.
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (format(block))
                relayout(block.position(), block.position() + block.length());
            if (block == last)
                break;
        }
        // The line after the change expects the state the changed lines pass on: every state
        // known after it still holds, and so do the formats of the lines below.
        const QTextBlock after = last.next();
        const int afterWas = after.blockNumber() - delta;
        if (m_knownStates > last.blockNumber() && after.isValid() && afterWas < known &&
            after.userState() >= 0 && entryOf(after.userState()) == exitOf(last.userState())) {
            m_knownStates = std::min(known + delta, m_document->blockCount());
            return;
        }
        if (!after.isValid())
            return;
    }
    // Lines below whose state changed, or a whole new text, once the layout has caught up.
    highlightLater();
}

void MarkdownHighlighter::highlightLater()
{
    if (m_queued)
        return;
    m_queued = true;
    QTimer::singleShot(0, this, [this] {
        m_queued = false;
        highlightVisible();
    });
}

void MarkdownHighlighter::highlightVisible()
{
    if (!active() || !m_edit->isVisible())
        return;
    const QTextBlock first = m_edit->cursorForPosition(QPoint(0, 0)).block();
    const QTextBlock last =
        m_edit->cursorForPosition(QPoint(0, m_edit->viewport()->height())).block();
    // The lines whose formats changed are laid out again at once.
    int from = -1, to = -1;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (format(block)) {
            from = from < 0 ? block.position() : from;
            to = block.position() + block.length();
        }
        if (block == last)
            break;
    }
    if (from >= 0)
        relayout(from, to);
}

void MarkdownHighlighter::updateStates(int lastBlock)
{
    if (m_knownStates > lastBlock)
        return;
    QTextBlock block = m_document->findBlockByNumber(m_knownStates);
    State state =
        m_knownStates == 0 ? State{} : State::decoded(exitOf(block.previous().userState()));
    for (; block.isValid() && block.blockNumber() <= lastBlock; block = block.next()) {
        const State next = MarkdownSpans::next(block.text(), state);
        block.setUserState(state.encoded() << stateBits | next.encoded());
        state = next;
        ++m_knownStates;
    }
}

State MarkdownHighlighter::stateBefore(const QTextBlock& block)
{
    if (block.blockNumber() == 0)
        return State{};
    updateStates(block.blockNumber() - 1);
    return State::decoded(exitOf(block.previous().userState()));
}

MarkdownSpans::Line MarkdownHighlighter::spansOf(const QTextBlock& block)
{
    return MarkdownSpans::read(block.text(), stateBefore(block));
}

bool MarkdownHighlighter::format(const QTextBlock& block)
{
    const State entry = stateBefore(block);
    auto* formatted = static_cast<Formatted*>(block.userData());
    if (formatted && formatted->revision == block.revision() &&
        formatted->entry == entry.encoded() && formatted->generation == m_generation) {
        return false;
    }
    const QString text = block.text();
    const MarkdownSpans::Line line = MarkdownSpans::read(text, entry);
    // The line passes its state on, known now whether or not it was before.
    if (block.blockNumber() == m_knownStates) {
        QTextBlock(block).setUserState(entry.encoded() << stateBits | line.next.encoded());
        ++m_knownStates;
    }
    QList<QTextLayout::FormatRange> ranges;
    if (m_enabled)
        ranges = m_formats.ranges(line.spans);
    if (m_spell) {
        for (const auto& [start, length] : MarkdownSpans::proseRanges(text.size(), line.spans)) {
            for (const Misspelling& word :
                 m_spell->misspellings(QStringView(text).sliced(start, length))) {
                ranges.append({int(start + word.start), int(word.length), m_formats.misspelled()});
            }
        }
    }
    if (!formatted) {
        formatted = new Formatted;
        QTextBlock(block).setUserData(formatted);
    }
    formatted->revision = block.revision();
    formatted->entry = entry.encoded();
    formatted->generation = m_generation;
    if (block.layout()->formats() == ranges)
        return false;
    block.layout()->setFormats(ranges);
    return true;
}

void MarkdownHighlighter::setFormats(const QTextBlock& block,
                                     const QList<QTextLayout::FormatRange>& ranges)
{
    block.layout()->setFormats(ranges);
    relayout(block.position(), block.position() + block.length());
}

void MarkdownHighlighter::relayout(int from, int to)
{
    m_formatting = true;
    m_document->markContentsDirty(from, to - from);
    m_formatting = false;
}
