#pragma once

#include "store/file_error.h"

#include <QString>
#include <QStringList>

// Every alert the application shows goes through here. Both kinds block until answered.
class AlertService
{
public:
    enum class Style
    {
        Warning,
        Informational
    };

    virtual ~AlertService() = default;
    // What failed and where, with the system's reason; one dismiss button.
    virtual void showError(const FileError& error) = 0;
    // The application's own texts; buttons in the order given. True when the first button
    // closed the alert.
    virtual bool showText(const QString& message, const QString& informativeText, Style style,
                          const QStringList& buttons) = 0;
};
