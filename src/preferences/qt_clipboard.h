#pragma once

#include "folder/clipboard_service.h"

class QtClipboard final : public ClipboardService
{
public:
    void setText(const QString& text) override;
};
