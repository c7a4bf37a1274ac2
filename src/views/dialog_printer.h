#pragma once

#include "views/print_service.h"

#include <QPointer>
#include <QWidget>

// The print dialog, then the note on the printer chosen there.
class DialogPrinter final : public PrintService
{
public:
    explicit DialogPrinter(QWidget* window = nullptr) : m_window(window) {}
    void setWindow(QWidget* window) { m_window = window; }
    void printNote(const QString& title, const QString& body) override;

private:
    QPointer<QWidget> m_window;
};
