#pragma once

#include <QDialog>

class QLineEdit;
class QTableWidget;

// Help ▸ Keyboard Shortcuts: every command of the window that has keys, with its keys, read
// from the commands themselves when it opens, so the list is never out of date. The field
// above narrows it by command or key.
class ShortcutsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ShortcutsDialog(QWidget& window);

    // Command and keys, in the order of the menus; an action's mnemonic marker left out.
    static QList<QPair<QString, QString>> shortcutsOf(const QWidget& window);

    QTableWidget* table() const { return m_table; }
    QLineEdit* filter() const { return m_filter; }

private:
    void narrow(const QString& text);

    QLineEdit* m_filter;
    QTableWidget* m_table;
};
