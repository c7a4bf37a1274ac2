#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_preferences.h"
#include "preferences/adaptive_actions.h"
#include "preferences/dbus_file_manager.h"
#include "preferences/elided_label.h"
#include "preferences/preferences_view.h"
#include "store_fixture.h"
#include "views/palette_colors.h"

#include <QAction>
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

// The preferences of a store on the home's Notes folder, shown. Copies and reveals nowhere:
// what the buttons do is the model's, tested with the folder.
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
    void actionsRowAdapts_data();
    void actionsRowAdapts();
    void viewFollowsTheFolderAndTheme_data();
    void viewFollowsTheFolderAndTheme();
    void revealOverDbus();
};

void PreferencesViewTest::actionsRowAdapts_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<bool>("singleLine");
    QTest::addColumn<bool>("disabled");
    row("just fits, no folder", 0, true, true);
    row("a pixel short, with a folder", -1, false, false);
}

// One line, or Reveal and Copy above the other three, "Use Default" at the trailing end at
// least the minimum gap after "Clear & Re-select…"; the folder's own actions need one.
void PreferencesViewTest::actionsRowAdapts()
{
    QFETCH(int, extra);
    QFETCH(bool, singleLine);
    QFETCH(bool, disabled);
    AdaptiveActions row;
    row.setFolderActionsDisabled(disabled);
    const int width = row.singleLineWidth() + extra;
    row.resize(width, row.heightForWidth(width));
    row.show();
    QCOMPARE(row.isSingleLine(), singleLine);
    QList<int> tops;
    QList<bool> enabled;
    for (QPushButton* button : {row.revealButton(), row.copyButton(), row.refreshButton(),
                                row.clearButton(), row.useDefaultButton()}) {
        tops.append(button->geometry().top());
        enabled.append(button->isEnabled());
    }
    const int second = singleLine ? 0 : tops[2];
    QVERIFY(singleLine || second > 0);
    QCOMPARE(tops, QList<int>({0, 0, second, second, second}));
    QCOMPARE(enabled, QList<bool>({!disabled, !disabled, !disabled, true, true}));
    const QRect useDefault = row.useDefaultButton()->geometry();
    QCOMPARE(useDefault.right(), width - 1);
    QVERIFY(useDefault.left() - row.clearButton()->geometry().right() - 1 >=
            AdaptiveActions::minimumGap);
}

void PreferencesViewTest::viewFollowsTheFolderAndTheme_data()
{
    QTest::addColumn<QPalette>("palette");
    row("light", QApplication::style()->standardPalette());
    // Derived from a dark button and window, as a dark desktop theme is.
    row("dark", QPalette(QColor(0x31363b), QColor(0x2a2e32)));
}

// The view follows the folder and the theme; the colours that carry a meaning read at WCAG AA
// (4.5:1).
void PreferencesViewTest::viewFollowsTheFolderAndTheme()
{
    QFETCH(QPalette, palette);
    PreferencesFixture p;
    const QString deep = p.f.home.makeFolder(QString("very long folder name/").repeated(8) + "End");
    for (const QString& folder : {QString(), deep}) {
        p.f.store().setFolderURL(folder);
        QCOMPARE(p.view.statusLabel()->text(), p.model.statusText());
        QCOMPARE(p.view.pathLabel()->fullText(), p.model.displayPath());
        QCOMPARE(p.view.actions()->copyButton()->isEnabled(), !folder.isEmpty());
    }
    // A long path stays on one line, shortened in the middle.
    const QLabel* path = p.view.pathLabel();
    QVERIFY(path->text().contains(QChar(0x2026)) && path->text().endsWith("End"));
    QVERIFY(path->fontMetrics().horizontalAdvance(path->text()) <= path->width());
    p.model.messageDurationMs = 50;
    QTest::mouseClick(p.view.actions()->copyButton(), Qt::LeftButton);
    QCOMPARE(p.view.messageLabel()->text(), QStringLiteral("Path copied to clipboard"));
    QVERIFY(p.view.messageLabel()->isVisible());
    QTRY_VERIFY(!p.view.messageLabel()->isVisible());

    p.view.setPalette(palette); // after the first drawing: a theme changed while running
    const QColor window = palette.color(QPalette::Window);
    // Secondary texts (the empty states, tips) use the placeholder colour.
    const QList<std::pair<QColor, QColor>> pairs{
        {p.view.statusLabel()->palette().color(QPalette::WindowText), window},
        {PreferencesView::colorFor(int(FolderPreferences::StatusColor::Red), palette), window},
        {p.view.actions()->clearButton()->palette().color(QPalette::ButtonText),
         palette.color(QPalette::Button)},
        {PaletteColors::withReadablePlaceholder(palette).color(QPalette::PlaceholderText),
         palette.color(QPalette::Base)}};
    for (const auto& [text, background] : pairs)
        QVERIFY2(PaletteColors::contrast(text, background) >= PaletteColors::minimumContrast,
                 qPrintable(text.name() + " on " + background.name()));
}

void PreferencesViewTest::revealOverDbus()
{
    // A private session bus of our own, so nothing on the machine answers but the fake.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(bus.waitForReadyRead(5000));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    QVERIFY(QDBusConnection::sessionBus().isConnected());
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
    service.unregisterService("org.freedesktop.FileManager1");
    QDBusConnection::disconnectFromBus("fake-fm");
    bus.kill();
    bus.waitForFinished();
}

QUILLBOX_GUI_TEST_MAIN(PreferencesViewTest)
#include "tst_preferences_view.moc"
