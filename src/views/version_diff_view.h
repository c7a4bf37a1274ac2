#pragma once

#include "store/text_diff.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;

// An older text of a note against its current text, read-only and monospaced: lines only in
// the older one marked "−" on a red wash, lines only in the current one "+" on a green wash,
// so the marks say what the colours say.
class VersionDiffView : public QWidget
{
    Q_OBJECT

public:
    static const QString removedMark;
    static const QString addedMark;
    static const QString sameMark;

    explicit VersionDiffView(QWidget* parent = nullptr);

    void setLines(const QList<TextDiff::Line>& lines);
    QPlainTextEdit* textView() const { return m_text; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void render();

    QPlainTextEdit* m_text;
    QLabel* m_legend;
    QList<TextDiff::Line> m_lines;
};
