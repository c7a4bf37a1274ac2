#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_preferences.h"
#include "preferences/adaptive_actions.h"
#include "preferences/dbus_file_manager.h"
#include "preferences/elided_label.h"
#include "preferences/history_preferences.h"
#include "preferences/preferences_dialog.h"
#include "preferences/preferences_view.h"
#include "store_fixture.h"
#include "views/palette_colors.h"

#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>

namespace {

// Stands in for the desktop's file manager on the test's own session bus.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

// What the buttons do is the model's, tested with the folder: here they copy and reveal nowhere.
struct PreferencesFixture final : ClipboardService, FileManagerService
{
    PreferencesFixture() { view.show(); }
    void setText(const QString&) override {}
    void reveal(const QString&) override {}
    StoreFixture f;
    FolderPreferences model{f.start(), {*this, *this, f.chooser()}};
    PreferencesView view{model};
};

} // namespace

class PreferencesViewTest : public QObject
{
    Q_OBJECT

private slots:
    void folderInWords_data();
    void folderInWords();
    void confirmationsInWords_data();
    void confirmationsInWords();
    void viewFollowsTheFolderAndTheme_data();
    void viewFollowsTheFolderAndTheme();
    void buttonsSayWhatTheyDo();
    void revealOverDbus();
};

void PreferencesViewTest::folderInWords_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("path");
    row("no folder", "", "Not set", "No folder selected");
    row("writable", "Work", "Writable", "~/Work");
    row("read-only", "Locked", "No access to Locked", "~/Locked");
}

void PreferencesViewTest::folderInWords()
{
    QFETCH(QString, folder);
    QFETCH(QString, status);
    QFETCH(QString, path);
    PreferencesFixture p;
    const QString chosen = folder.isEmpty() ? QString() : p.f.home.makeFolder(folder);
    if (folder == "Locked")
        TestFiles::setReadOnly(chosen, true);
    p.f.store().setFolderURL(chosen);
    QCOMPARE(p.view.statusLabel()->text(), status);
    QCOMPARE(p.view.pathLabel()->fullText(), path);
    QCOMPARE(p.view.actions()->copyButton()->isEnabled(), !folder.isEmpty());
}

void PreferencesViewTest::confirmationsInWords_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QString>("message");
    row("copy", QByteArray("copy"), "Path copied to clipboard");
    row("refresh", QByteArray("refresh"), "Permissions refreshed");
    row("clear", QByteArray("clear"), "Folder cleared — please choose a new folder");
    row("use default", QByteArray("useDefault"), "Using ~/Documents/Notes");
}

void PreferencesViewTest::confirmationsInWords()
{
    QFETCH(QByteArray, action);
    QFETCH(QString, message);
    PreferencesFixture p;
    QVERIFY(QMetaObject::invokeMethod(p.view.actions(), action.constData()));
    QCOMPARE(p.view.messageLabel()->text(), message);
}

void PreferencesViewTest::viewFollowsTheFolderAndTheme_data()
{
    QTest::addColumn<QPalette>("palette");
    row("light", QApplication::style()->standardPalette());
    // Derived from a dark button and window, as a dark desktop theme is.
    row("dark", QPalette(QColor(0x31363b), QColor(0x2a2e32)));
}

// The colours that carry a meaning read at WCAG AA (4.5:1), also after a theme change.
void PreferencesViewTest::viewFollowsTheFolderAndTheme()
{
    QFETCH(QPalette, palette);
    PreferencesFixture p;
    p.model.messageDurationMs = 50;
    QTest::mouseClick(p.view.actions()->copyButton(), Qt::LeftButton);
    QVERIFY(p.view.messageLabel()->isVisible());
    QTRY_VERIFY(!p.view.messageLabel()->isVisible());

    p.view.setPalette(palette);
    const QColor window = palette.color(QPalette::Window);
    const QList<std::pair<QColor, QColor>> pairs{
        {p.view.statusLabel()->palette().color(QPalette::WindowText), window},
        {PreferencesView::colorFor(int(FolderPreferences::StatusColor::Red), palette), window},
        {PaletteColors::withReadablePlaceholder(palette).color(QPalette::PlaceholderText),
         palette.color(QPalette::Base)}};
    for (const auto& [text, background] : pairs)
        QVERIFY2(PaletteColors::contrast(text, background) >= PaletteColors::minimumContrast,
                 qPrintable(text.name() + " on " + background.name()));
}

// Each button has its own Alt key, the content starts at the top, and a screen reader hears
// what Choose… chooses.
void PreferencesViewTest::buttonsSayWhatTheyDo()
{
    PreferencesFixture p;
    PreferencesDialog dialog(p.view, new HistoryPreferences(p.f.store().history(), p.f.alerts),
                             nullptr);
    const auto giveBack = qScopeGuard([&] { p.view.setParent(nullptr); });
    dialog.show();
    QList<QKeySequence> keys;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(button->text()));
        keys.append(key);
        if (button->text() == "Re&fresh Permissions")
            QVERIFY(button->toolTip().contains("permissions"));
    }
    QCOMPARE(keys.size(), 7);
    QCOMPARE(p.view.chooseButton()->accessibleName(), QStringLiteral("Choose Notes Folder…"));
    const QLabel* heading = nullptr;
    for (const QLabel* label : p.view.findChildren<QLabel*>()) {
        if (label->text() == "Notes Folder")
            heading = label;
    }
    QVERIFY(heading);
    QVERIFY(heading->mapTo(&p.view, QPoint(0, 0)).y() < 20);
}

void PreferencesViewTest::revealOverDbus()
{
    // A private session bus, so that nothing on the machine answers but the fake.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(bus.waitForReadyRead(5000));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    TestHome home;
    const QString folder = home.notesFolder();
    QList<QUrl> opened;
    DbusFileManager manager([&](const QUrl& url) { opened.append(url); });
    // No file manager on the bus: the parent folder is opened instead.
    manager.reveal(folder);
    QTRY_COMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(home.path())}));

    QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-fm");
    FakeFileManager fake;
    QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &fake,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService("org.freedesktop.FileManager1"));
    manager.reveal(folder);
    QTRY_COMPARE(fake.shown, QStringList({QUrl::fromLocalFile(folder).toString()}));
    QCOMPARE(opened.size(), 1);
    QDBusConnection::disconnectFromBus("fake-fm");
    bus.kill();
    bus.waitForFinished();
}

QUILLBOX_GUI_TEST_MAIN(PreferencesViewTest)
#include "tst_preferences_view.moc"
