#pragma once

#include "views/url_service.h"

class DesktopUrlService final : public UrlService
{
public:
    void open(const QUrl& url) override;
};
