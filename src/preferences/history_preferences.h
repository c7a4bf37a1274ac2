#pragma once

#include "store/history_store.h"

#include <QWidget>

class AlertService;
class History;
class QLabel;
class QPushButton;
class QSpinBox;

// How long the notes' earlier versions are kept and how much room they may take, and clearing
// them (asked first). The limits are remembered in the settings and apply at once.
class HistoryPreferences : public QWidget
{
    Q_OBJECT

public:
    HistoryPreferences(History& history, AlertService& alerts, QWidget* parent = nullptr);

    // The limits the user chose, or the defaults.
    static HistoryStore::Limits storedLimits();

    QSpinBox* daysBox() const { return m_days; }
    QSpinBox* sizeBox() const { return m_megabytes; }
    QPushButton* clearButton() const { return m_clear; }
    QLabel* messageLabel() const { return m_message; }

private:
    void apply();
    void clear();

    History& m_history;
    AlertService& m_alerts;
    QSpinBox* m_days;
    QSpinBox* m_megabytes;
    QPushButton* m_clear;
    QLabel* m_message;
};
