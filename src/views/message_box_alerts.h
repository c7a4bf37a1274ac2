#pragma once

#include "views/alert_service.h"

class QWidget;

// Alerts as the desktop's own message boxes, titled "Quillbox", over the given window.
class MessageBoxAlerts final : public AlertService
{
public:
    explicit MessageBoxAlerts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void showError(const FileError& error) override;
    bool showText(const QString& message, const QString& informativeText, Style style,
                  const QStringList& buttons) override;

private:
    QWidget* m_parent;
};
