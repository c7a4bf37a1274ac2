#pragma once

#include <QLabel>

// One line of text, shortened in the middle when the space is too narrow; the whole text
// stays available as the tooltip and to accessibility.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;
    void setFullText(const QString& text);
    const QString& fullText() const { return m_fullText; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString m_fullText;
};
