#include "preferences/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void QtClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}
