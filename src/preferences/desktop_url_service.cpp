#include "preferences/desktop_url_service.h"

#include <QDesktopServices>

void DesktopUrlService::open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}
