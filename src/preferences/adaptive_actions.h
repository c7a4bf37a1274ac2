#pragma once

#include <QWidget>

class QPushButton;

// The five folder buttons: on one line when that line's ideal width fits, otherwise on two
// lines with "Reveal in File Manager" and "Copy Path" on the first. "Use Default" always sits
// at the trailing end, at least 8 px after "Clear & Re-select…".
class AdaptiveActions : public QWidget
{
    Q_OBJECT

public:
    static constexpr int spacing = 10;
    static constexpr int lineSpacing = 6;
    static constexpr int minimumGap = 8;

    explicit AdaptiveActions(QWidget* parent = nullptr);

    // Disables the three buttons that need a folder.
    void setFolderActionsDisabled(bool disabled);
    int singleLineWidth() const;
    QPushButton* copyButton() const { return m_copy; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void reveal();
    void copy();
    void refresh();
    void clear();
    void useDefault();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int rowHeight() const;
    int twoLineWidth() const;
    void place(int width);
    void colourDestructive();

    QPushButton* m_reveal;
    QPushButton* m_copy;
    QPushButton* m_refresh;
    QPushButton* m_clear;
    QPushButton* m_useDefault;
    bool m_singleLine = true;
};
