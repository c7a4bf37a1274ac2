#include "test_support.h"
#include "views/dialog_folder_panel.h"
#include "views/message_box_alerts.h"
#include "views/note_document.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

class DesktopServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void alerts_data();
    void alerts();
    void printedDocument();
    void folderDialog();
};

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
    if (seen.startsWith("The file")) {
        alerts.showError(
            FileError::fileNotSaved(QStringLiteral("/home/ana/Notes/Groceries.md"), EACCES));
    } else {
        QCOMPARE(alerts.showText(QStringLiteral("Delete “Plan”?"), QStringLiteral("Really?"),
                                 AlertService::Style::Warning,
                                 {QStringLiteral("Move to Trash"), QStringLiteral("Cancel")}),
                 answer);
    }
    QCOMPARE(shown.join(u'\n'), seen);
}

void DesktopServicesTest::printedDocument()
{
    TestHome home;
    const QString pdf = home.path() + "/note.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const QString longLine = QStringLiteral("word ").repeated(60).trimmed() + " END";
    NoteDocument::print(printer, QStringLiteral("Groceries"),
                        QStringLiteral("Groceries\nmilk\n") + longLine);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    QVERIFY(pdftotext.waitForFinished());
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    // The title, then the body; the long line wraps at the printable width, every word kept.
    QCOMPARE(text.simplified().section(' ', 0, 2), QStringLiteral("Groceries Groceries milk"));
    QCOMPARE(text.count(QStringLiteral("word")), 60);
    QVERIFY(text.contains(QStringLiteral("END")) && !text.contains(QStringLiteral("Page 1")));
}

// Cancelled, then chosen; the answer never comes inside the dialog's own event.
void DesktopServicesTest::folderDialog()
{
    TestHome home;
    const QString folder = home.makeFolder("Chosen");
    QWidget window;
    window.show();
    DialogFolderPanel panel(&window);
    for (const QString& expected : {QString(), folder}) {
        QString answer = QStringLiteral("<none>");
        panel.present([&](const QString& chosen) { answer = chosen; });
        auto* dialog = window.findChild<QFileDialog*>(QStringLiteral("chooseNotesFolder"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
        QCOMPARE(dialog->directory().absolutePath(), home.path() + "/Documents/Notes");
        if (expected.isEmpty()) {
            dialog->reject();
        } else {
            dialog->setDirectory(home.path());
            dialog->selectFile(folder);
            QMetaObject::invokeMethod(dialog, "accept");
        }
        QCOMPARE(answer, QStringLiteral("<none>"));
        QTRY_COMPARE(answer, expected);
    }
}

QUILLBOX_GUI_TEST_MAIN(DesktopServicesTest)
#include "tst_desktop_services.moc"
