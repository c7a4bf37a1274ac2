#pragma once

#include "clipboard_service.h"

class QtClipboard final : public ClipboardService
{
public:
    void setText(const QString& text) override;
};
