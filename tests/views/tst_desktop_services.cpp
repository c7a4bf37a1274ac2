#include "dialog_folder_panel.h"
#include "message_box_alerts.h"
#include "note_document.h"
#include "test_support.h"

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

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Each word's height on the page, in points, as poppler measures its box.
QList<std::pair<QString, double>> pdfWordHeights(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished();
    static const QRegularExpression word(
        R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]+)</word>)re");
    QList<std::pair<QString, double>> heights;
    for (const QRegularExpressionMatch& match :
         word.globalMatch(QString::fromUtf8(process.readAllStandardOutput())))
        heights.append(
            {match.captured(3), match.captured(2).toDouble() - match.captured(1).toDouble()});
    return heights;
}

QString pdfFonts(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdffonts"), {pdf});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class DesktopServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void textAlert_data();
    void textAlert();
    void errorAlert();
    void printedDocument();
    void folderDialog_data();
    void folderDialog();
};

void DesktopServicesTest::textAlert_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("firstPressed");
    QTest::newRow("Enter presses the first button") << int(Qt::Key_Return) << true;
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << false;
}

void DesktopServicesTest::textAlert()
{
    QFETCH(int, key);
    QFETCH(bool, firstPressed);
    MessageBoxAlerts alerts;
    QString title, text, informative;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenMessageBoxOpens([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        informative = box->informativeText();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            buttons.append(button->text());
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("Move to Trash"));
        QTest::keyClick(box, Qt::Key(key));
    });
    const bool answer = alerts.showText(
        QStringLiteral("Delete “Plan”?"), QStringLiteral("Really?"), AlertService::Style::Warning,
        {QStringLiteral("Move to Trash"), QStringLiteral("Cancel")});
    QCOMPARE(answer, firstPressed);
    QCOMPARE(title, QStringLiteral("Quillbox"));
    QCOMPARE(text, QStringLiteral("Delete “Plan”?"));
    QCOMPARE(informative, QStringLiteral("Really?"));
    QCOMPARE(icon, QMessageBox::Warning);
    buttons.sort();
    QCOMPARE(buttons, QStringList({"Cancel", "Move to Trash"}));
}

void DesktopServicesTest::errorAlert()
{
    MessageBoxAlerts alerts;
    QString text, informative;
    whenMessageBoxOpens([&](QMessageBox* box) {
        text = box->text();
        informative = box->informativeText();
        QTest::keyClick(box, Qt::Key_Return);
    });
    alerts.showError(
        FileError::fileNotSaved(QStringLiteral("/home/ana/Notes/Groceries.md"), EACCES));
    QCOMPARE(text,
             QStringLiteral("The file “Groceries.md” couldn’t be saved in the folder “Notes”."));
    QCOMPARE(informative, QStringLiteral("Permission denied"));
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

    const QString text = pdfText(pdf);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 4, qPrintable(text));
    QCOMPARE(lines[0].trimmed(), QStringLiteral("Groceries"));
    QCOMPARE(lines[1].trimmed(), QStringLiteral("Groceries"));
    QCOMPARE(lines[2].trimmed(), QStringLiteral("milk"));
    // The long line wraps at the printable width: every word is there, over several lines.
    QCOMPARE(text.count(QStringLiteral("word")), 60);
    QVERIFY(text.contains(QStringLiteral("END")));
    QVERIFY(lines.size() >= 5);
    QVERIFY(!text.contains(QStringLiteral("Page 1")));
    const QString fonts = pdfFonts(pdf);
    // Printed at its size in points: a word's box is the face's ascent plus descent, 1 to 1.25
    // of the size for the monospaced faces in use (it was 4/3 larger when laid out at 96 dpi).
    const QList<std::pair<QString, double>> heights = pdfWordHeights(pdf);
    QVERIFY(heights.size() >= 3);
    for (int i = 0; i < 3; ++i) {
        const double points = i == 0 ? NoteDocument::titlePoints : NoteDocument::bodyPoints;
        QVERIFY2(
            heights[i].second >= points && heights[i].second <= points * 1.25,
            qPrintable(QStringLiteral("%1: %2 pt").arg(heights[i].first).arg(heights[i].second)));
    }
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
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Choose Notes Folder"));
    QCOMPARE(dialog->labelText(QFileDialog::Accept), QStringLiteral("Choose"));
    QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->directory().absolutePath(), home.path() + "/Documents/Notes");
    QVERIFY(dialog->isVisible());
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
