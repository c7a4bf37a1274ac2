#pragma once

#include <QUrl>

// The desktop's handler of an address: the browser, the mail program, the file's program.
class UrlService
{
public:
    virtual ~UrlService() = default;
    virtual void open(const QUrl& url) = 0;
};
