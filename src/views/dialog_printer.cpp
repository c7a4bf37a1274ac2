#include "views/dialog_printer.h"

#include "views/note_document.h"

#include <QPrintDialog>
#include <QPrinter>

void DialogPrinter::printNote(const QString& title, const QString& body)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, m_window);
    dialog.setObjectName(QStringLiteral("printNote"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    NoteDocument::print(printer, title, body);
}
