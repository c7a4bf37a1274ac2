#include "store/naming.h"
#include "test_support.h"
#include "views/dialog_folder_panel.h"
#include "views/dialog_printer.h"
#include "views/file_error_text.h"
#include "views/message_box_alerts.h"
#include "views/note_document.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

class DesktopServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void alerts_data();
    void alerts();
    void printedDocument();
    void printsOnlyWhatTheDialogAccepts_data();
    void printsOnlyWhatTheDialogAccepts();
    void folderDialog();
};

void DesktopServicesTest::errorTexts_data()
{
    QTest::addColumn<FileError>("error");
    QTest::addColumn<QString>("seen"); // message, then reason
    const QString notes = "/home/ana/Notes";
    row("listing", FileError::folderNotOpened(notes, EACCES),
        "The folder “Notes” couldn’t be opened.\nPermission denied");
    row("save", FileError::fileNotSaved(notes + "/Groceries.md", EFBIG),
        "The file “Groceries.md” couldn’t be saved in the folder “Notes”.\nFile too large");
    row("a name that is not UTF-8, shown readably",
        FileError::fileNotCreated(Naming::pathFromBytes("/home/ana/Notes/caf\xE9.md"), ENOSPC),
        "The file “caf\uFFFD.md” couldn’t be created in the folder “Notes”.\n"
        "No space left on device");
    row("rename", FileError::fileNotRenamed(notes + "/A.md", notes + "/B.md", EACCES),
        "The file “A.md” couldn’t be renamed to “B.md”.\nPermission denied");
    row("remove", FileError::fileNotRemoved(notes + "/A.md", EACCES),
        "The file “A.md” couldn’t be deleted.\nPermission denied");
    row("put back from the Trash", FileError::fileNotRestored(notes + "/A.md", EACCES),
        "The file “A.md” couldn’t be put back from the Trash.\nPermission denied");
    row("gone from the Trash", FileError::notInTrash(notes + "/A.md"),
        "The file “A.md” couldn’t be put back: it is no longer in the Trash.\nThe Trash was "
        "emptied, or the file was taken out of it.");
    row("default folder", FileError::folderNotCreated(notes, EACCES),
        "The folder “Notes” couldn’t be created.\nPermission denied");
    row("bookmark", FileError::folderNotRemembered(notes, EROFS),
        "The notes folder couldn’t be remembered.\nRead-only file system");
    row("recovery", FileError::textNotRecovered("/home/ana/.local/state/r", ENOTDIR),
        "The unsaved text couldn’t be kept in the folder “/home/ana/.local/state/r”.\n"
        "Not a directory");
    row("replaced folder", FileError::folderReplaced(notes),
        "The folder “/home/ana/Notes” was replaced by another folder.\nNothing is read from it "
        "or saved into it until you choose it again in Preferences. Unsaved text is kept.");
}

void DesktopServicesTest::errorTexts()
{
    QFETCH(FileError, error);
    QFETCH(QString, seen);
    QCOMPARE(FileErrorText::message(error) + '\n' + FileErrorText::reason(error), seen);
}

void DesktopServicesTest::alerts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("seen"); // text, informative text, sorted buttons: one line each
    const QString question = "Delete “Plan”?\nReally?\nCancel Move to Trash";
    row("Enter presses the first button", int(Qt::Key_Return), true, question);
    row("Escape cancels", int(Qt::Key_Escape), false, question);
    row("error", int(Qt::Key_Return), false,
        "The file “Groceries.md” couldn’t be saved in the folder “Notes”.\nPermission denied\nOK");
}

void DesktopServicesTest::alerts()
{
    QFETCH(int, key);
    QFETCH(bool, answer);
    QFETCH(QString, seen);
    MessageBoxAlerts alerts;
    QStringList shown;
    QTimer::singleShot(0, [&] { // inside the box's own event loop
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons.append(button->text().remove(u'&'));
        buttons.sort();
        shown = {box->text(), box->informativeText(), buttons.join(u' ')};
        QTest::keyClick(box, Qt::Key(key));
    });
    if (seen.startsWith("The file"))
        alerts.showError(FileError::fileNotSaved("/home/ana/Notes/Groceries.md", EACCES));
    else
        QCOMPARE(alerts.showText("Delete “Plan”?", "Really?", AlertService::Style::Warning,
                                 {"Move to Trash", "Cancel"}),
                 answer);
    QCOMPARE(shown.join(u'\n'), seen);
}

void DesktopServicesTest::printsOnlyWhatTheDialogAccepts_data()
{
    QTest::addColumn<bool>("accepted");
    row("Print", true);
    row("Cancel", false);
}

void DesktopServicesTest::printsOnlyWhatTheDialogAccepts()
{
    QFETCH(bool, accepted);
    TestHome home;
    const QString pdf = home.path() + "/note.pdf";
    QTimer::singleShot(0, [&] { // inside the dialog's own event loop
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        // The file stands in for a printer: no machine is sure to have one.
        dialog->printer()->setOutputFileName(pdf);
        dialog->done(accepted ? QDialog::Accepted : QDialog::Rejected);
    });
    DialogPrinter().printNote("Groceries", "Groceries\nmilk");
    QCOMPARE(QFileInfo::exists(pdf), accepted);
}

// The title, then the body; a long line wraps at the printable width, every word kept.
void DesktopServicesTest::printedDocument()
{
    TestHome home;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(home.path() + "/note.pdf");
    const QString longLine = QString("word ").repeated(60) + "END";
    NoteDocument::print(printer, "Groceries", "Groceries\nmilk\n" + longLine);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", printer.outputFileName(), "-"});
    QVERIFY(pdftotext.waitForFinished());
    QCOMPARE(QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified(),
             "Groceries Groceries milk " + longLine);
}

// Cancelled, then chosen, from home (no Documents folder yet); answered after the dialog's own
// event.
void DesktopServicesTest::folderDialog()
{
    TestHome home;
    QWidget window;
    DialogFolderPanel panel(&window);
    for (const QString& expected : {QString(), home.makeFolder("Chosen")}) {
        QString answer = "<none>";
        panel.present([&](const QString& chosen) { answer = chosen; });
        auto* dialog = window.findChild<QFileDialog*>();
        QCOMPARE(dialog->directory().absolutePath(), home.path());
        dialog->selectFile(expected);
        QMetaObject::invokeMethod(dialog, expected.isEmpty() ? "reject" : "accept");
        QCOMPARE(answer, "<none>");
        QTRY_COMPARE(answer, expected);
    }
}

QUILLBOX_GUI_TEST_MAIN(DesktopServicesTest)
#include "tst_desktop_services.moc"
