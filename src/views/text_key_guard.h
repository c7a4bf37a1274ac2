#pragma once

#include <QObject>

// Keeps Ctrl+Backspace (delete the previous word) for the text field it watches, where the
// window's Delete Note shortcut would otherwise take it.
class TextKeyGuard : public QObject
{
    Q_OBJECT

public:
    static void install(QObject* textField);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
