#include "views/dialog_folder_panel.h"

#include "folder/folder_access.h"

#include <QApplication>
#include <QFileDialog>

void DialogFolderPanel::present(std::function<void(const QString& folder)> done)
{
    // Over the window the user works in (the preferences, when they asked from there).
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : m_window.data();
    auto* dialog = new QFileDialog(
        parent, QCoreApplication::translate("DialogFolderPanel", "Choose Notes Folder"));
    dialog->setObjectName(QStringLiteral("chooseNotesFolder"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept,
                         QCoreApplication::translate("DialogFolderPanel", "Choose"));
    dialog->setDirectory(FolderAccess::chooserStartFolder(m_current ? m_current() : QString()));
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    // The answer is handled after the dialog has closed, never inside its own event.
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done](int result) {
        const QString folder = result == QDialog::Accepted && !dialog->selectedFiles().isEmpty()
                                   ? dialog->selectedFiles().constFirst()
                                   : QString();
        QMetaObject::invokeMethod(
            qApp, [done, folder] { done(folder); }, Qt::QueuedConnection);
    });
    dialog->open();
}
