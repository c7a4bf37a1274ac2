#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_preferences.h"
#include "preferences/adaptive_actions.h"
#include "preferences/dbus_file_manager.h"
#include "preferences/elided_label.h"
#include "preferences/preferences_view.h"
#include "store_fixture.h"
#include "views/palette_colors.h"

#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
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
    void viewFollowsTheFolderAndTheme_data();
    void viewFollowsTheFolderAndTheme();
    void revealOverDbus();
};

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
    for (const QString& folder : {QString(), p.f.folder}) {
        p.f.store().setFolderURL(folder);
        QCOMPARE(p.view.statusLabel()->text(), p.model.statusText());
        QCOMPARE(p.view.pathLabel()->fullText(), p.model.displayPath());
        QCOMPARE(p.view.actions()->copyButton()->isEnabled(), !folder.isEmpty());
    }
    p.model.messageDurationMs = 50;
    QTest::mouseClick(p.view.actions()->copyButton(), Qt::LeftButton);
    QCOMPARE(p.view.messageLabel()->text(), QStringLiteral("Path copied to clipboard"));
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
