#pragma once

#include "store/text_matches.h"

#include <QObject>
#include <QTimer>

class QPlainTextEdit;

// The matches of an editor's text, shared by everything that shows them: the text is folded
// again only after it changed, and only when someone asks.
class EditorMatches : public QObject
{
    Q_OBJECT

public:
    // Pauses in typing longer than this tell the shown matches to follow the text.
    static constexpr int settleMs = 150;

    // The one of this editor, made on first use.
    static EditorMatches& of(QPlainTextEdit* edit);
    QList<TextMatches::Match> matches(const QString& query);
    // Whether asking now costs no more than a search: the text has not changed since.
    bool isCurrent() const { return !m_stale; }
    // The text changed and has not rested yet: what shows matches waits for settled().
    bool isSettling() const { return m_settle.isActive(); }

signals:
    // The text changed and then rested: what shows matches asks again.
    void settled();

private:
    explicit EditorMatches(QPlainTextEdit* edit);

    QPlainTextEdit* m_edit;
    TextMatches m_matches;
    bool m_stale = true;
    QTimer m_settle;
};
