#include "views/text_key_guard.h"

#include <QKeyEvent>

void TextKeyGuard::install(QObject* textField)
{
    textField->installEventFilter(new TextKeyGuard(textField));
}

bool TextKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::DeleteStartOfWord) ||
            (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::ControlModifier)) {
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
