#include "views/message_box_alerts.h"

#include "views/file_error_text.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

QWidget* ownerFor(QWidget* parent)
{
    return parent ? parent : QApplication::activeWindow();
}

// Left alone, the box wraps a sentence every few words; give its text room to read.
void giveRoom(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(380, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

} // namespace

void MessageBoxAlerts::showError(const FileError& error)
{
    QMessageBox box(QMessageBox::Critical,
                    QCoreApplication::translate("MessageBoxAlerts", "Quillbox"),
                    FileErrorText::message(error), QMessageBox::Ok, ownerFor(m_parent));
    box.setInformativeText(FileErrorText::reason(error));
    giveRoom(box);
    box.exec();
}

bool MessageBoxAlerts::showText(const QString& message, const QString& informativeText, Style style,
                                const QStringList& buttons)
{
    QMessageBox box(style == Style::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    QCoreApplication::translate("MessageBoxAlerts", "Quillbox"), message,
                    QMessageBox::NoButton, ownerFor(m_parent));
    box.setInformativeText(informativeText);
    // Roles set the platform's order of the buttons; the first one given is the answer we
    // ask for, Enter presses it, and the last one (Cancel, where offered) answers Escape.
    QList<QPushButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool first = i == 0;
        // Compared in the user's language: the callers' "Cancel" is translated like this one.
        const bool cancel =
            !first && buttons[i] == QCoreApplication::translate("MessageBoxAlerts", "Cancel");
        added.append(box.addButton(buttons[i], first    ? QMessageBox::AcceptRole
                                               : cancel ? QMessageBox::RejectRole
                                                        : QMessageBox::ActionRole));
    }
    if (!added.isEmpty()) {
        box.setDefaultButton(added.first());
        box.setEscapeButton(added.size() > 1 ? added.last() : added.first());
    }
    giveRoom(box);
    box.exec();
    return !added.isEmpty() && box.clickedButton() == added.first();
}
