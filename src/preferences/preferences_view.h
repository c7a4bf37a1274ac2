#pragma once

#include <QWidget>

class AdaptiveActions;
class ElidedLabel;
class FolderPreferences;
class QGraphicsOpacityEffect;
class QLabel;
class QPushButton;
class QScrollArea;

// The preferences window's content: the notes folder, its status, its actions and a tip,
// with short confirmations at the bottom. 520 × 220; a message that makes it taller scrolls.
class PreferencesView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int contentWidth = 520;
    static constexpr int contentHeight = 220;
    static QColor colorFor(int statusColor, const QPalette& palette);

    explicit PreferencesView(FolderPreferences& model, QWidget* parent = nullptr);

    QLabel* statusLabel() const { return m_status; }
    ElidedLabel* pathLabel() const { return m_path; }
    QPushButton* chooseButton() const { return m_choose; }
    AdaptiveActions* actions() const { return m_actions; }
    QLabel* messageLabel() const { return m_message; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    FolderPreferences& m_model;
    QScrollArea* m_scroll;
    QLabel* m_status;
    ElidedLabel* m_path;
    QPushButton* m_choose;
    AdaptiveActions* m_actions;
    QWidget* m_messageRow;
    QLabel* m_message;
    QGraphicsOpacityEffect* m_fade;
};
