#pragma once

#include <QString>

// The clipboard, as the preferences use it.
class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    virtual void setText(const QString& text) = 0;
};
