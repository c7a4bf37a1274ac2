#include "folder/app_settings.h"

#include <QSettings>
#include <QStandardPaths>

#include <cerrno>

namespace {

QSettings open()
{
    return QSettings(AppSettings::filePath(), QSettings::IniFormat);
}

} // namespace

// Named explicitly rather than through QSettings' per-process cache of locations, so the
// configuration home is read afresh each time.
QString AppSettings::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillbox/quillbox.conf");
}

QVariant AppSettings::value(const QString& key, const QVariant& fallback)
{
    return open().value(key, fallback);
}

int AppSettings::setValue(const QString& key, const QVariant& value)
{
    QSettings store = open();
    const QVariant previous = store.value(key);
    store.setValue(key, value);
    // QSettings says only that the write failed; the call that failed (mkdir, the lock file,
    // the write or the rename of the new file) left its errno, which nothing after it in
    // QSettings changes. A test with a real failure keeps that so.
    errno = 0;
    store.sync();
    if (store.status() == QSettings::NoError)
        return 0;
    const int code = errno != 0 ? errno : EIO;
    // The refused value stays pending in Qt's copy of the file, shared by the whole process:
    // the next setting written (the window's size on quit) would store it after all.
    if (previous.isValid())
        store.setValue(key, previous);
    else
        store.remove(key);
    return code;
}

void AppSettings::remove(const QString& key)
{
    open().remove(key);
}
