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
#include <QRegularExpression>
#include <QTimer>

namespace {

// Runs `act` on the first message box that opens, from inside its own event loop.
void whenMessageBoxOpens(const std::function<void(QMessageBox*)>& act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(box);
                return;
            }
        }
    });
    timer->start();
}

// What a poppler tool prints about the file.
QString poppler(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class DesktopServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void alerts_data();
    void alerts();
    void printedDocument();
    void folderDialog_data();
    void folderDialog();
};

void DesktopServicesTest::alerts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("seen"); // text, informative text, sorted buttons: one line each
    const QString question = "Delete “Plan”?\nReally?\nCancel Move to Trash";
    QTest::newRow("Enter presses the first button") << int(Qt::Key_Return) << true << question;
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << false << question;
    QTest::newRow("error") << int(Qt::Key_Return) << false
                           << "The file “Groceries.md” couldn’t be saved in the folder "
                              "“Notes”.\nPermission denied\nOK";
}

void DesktopServicesTest::alerts()
{
    QFETCH(int, key);
    QFETCH(bool, answer);
    QFETCH(QString, seen);
    MessageBoxAlerts alerts;
    QStringList shown;
    whenMessageBoxOpens([&](QMessageBox* box) {
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

    const QString text = poppler("pdftotext", {"-layout", pdf, "-"});
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 4, qPrintable(text));
    // The title, then the body; the long line wraps at the printable width, every word kept.
    QCOMPARE(QStringList({lines[0].trimmed(), lines[1].trimmed(), lines[2].trimmed()}),
             QStringList({"Groceries", "Groceries", "milk"}));
    QCOMPARE(text.count(QStringLiteral("word")), 60);
    QVERIFY(text.contains(QStringLiteral("END")) && lines.size() >= 5);
    QVERIFY(!text.contains(QStringLiteral("Page 1")));
    // Printed at its size in points: a word's box is the face's ascent plus descent, 1 to 1.25
    // of the size for the monospaced faces in use (it was 4/3 larger when laid out at 96 dpi).
    static const QRegularExpression word(
        R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]+)</word>)re");
    QStringList words;
    for (const QRegularExpressionMatch& match :
         word.globalMatch(poppler("pdftotext", {"-bbox", pdf, "-"}))) {
        const double height = match.captured(2).toDouble() - match.captured(1).toDouble();
        const double points =
            words.isEmpty() ? NoteDocument::titlePoints : NoteDocument::bodyPoints;
        QVERIFY2(height >= points && height <= points * 1.25,
                 qPrintable(QStringLiteral("%1: %2 pt").arg(match.captured(3)).arg(height)));
        words.append(match.captured(3));
        if (words.size() == 3)
            break;
    }
    QCOMPARE(words.size(), 3);
    const QString fonts = poppler("pdffonts", {pdf});
    QVERIFY2(fonts.contains(QStringLiteral("Mono-Bold")) ||
                 fonts.contains(QStringLiteral("Mono Bold")),
             qPrintable(fonts));
}

void DesktopServicesTest::folderDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void DesktopServicesTest::folderDialog()
{
    QFETCH(bool, accept);
    TestHome home;
    const QString folder = home.makeFolder("Chosen");
    QWidget window;
    window.show();
    DialogFolderPanel panel(&window);
    QString answer = QStringLiteral("<none>");
    panel.present([&](const QString& chosen) { answer = chosen; });
    auto* dialog = window.findChild<QFileDialog*>(QStringLiteral("chooseNotesFolder"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
    QCOMPARE(dialog->directory().absolutePath(), home.path() + "/Documents/Notes");
    if (accept) {
        dialog->setDirectory(home.path());
        dialog->selectFile(folder);
        QMetaObject::invokeMethod(dialog, "accept");
    } else {
        dialog->reject();
    }
    QCOMPARE(answer, QStringLiteral("<none>")); // never inside the dialog's own event
    QTRY_COMPARE(answer, accept ? folder : QString());
}

QUILLBOX_GUI_TEST_MAIN(DesktopServicesTest)
#include "tst_desktop_services.moc"
