#include "app/quillbox_app.h"
#include "app/translations.h"
#include "folder/folder_access.h"
#include "preferences/history_preferences.h"
#include "preferences/preferences_dialog.h"
#include "store/history.h"
#include "test_support.h"
#include "views/content_view.h"
#include "views/message_box_alerts.h"
#include "views/note_editor.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <memory>

namespace {

QString withoutMnemonic(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(u'&')
        .replace(u'\x01', u'&');
}

// The letters Alt reaches in one menu: each may open only one of its entries.
void expectUniqueMnemonics(const QString& where, const QList<QAction*>& actions)
{
    QHash<QChar, QString> taken;
    for (const QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QString text = QString(action->text()).remove(QStringLiteral("&&"));
        const qsizetype at = text.indexOf(u'&');
        if (at >= 0 && at + 1 < text.size()) {
            const QChar letter = text.at(at + 1).toLower();
            QVERIFY2(!taken.contains(letter),
                     qPrintable(QStringLiteral("%1: “%2” and “%3” share Alt+%4")
                                    .arg(where, taken.value(letter), action->text(), letter)));
            taken.insert(letter, action->text());
        }
        if (action->menu())
            expectUniqueMnemonics(withoutMnemonic(action->text()), action->menu()->actions());
    }
}

QSpinBox* daysField(const QWidget& preferences)
{
    for (QSpinBox* field : preferences.findChildren<QSpinBox*>()) {
        if (field->accessibleName() == HistoryPreferences::tr("Keep versions for"))
            return field;
    }
    return nullptr;
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void germanWindow();
    void plurals_data();
    void plurals();
};

// Run with LANGUAGE=de:en: the window as a German user meets it, our texts and Qt's own.
void TranslationsTest::germanWindow()
{
    TestHome home;
    const Translations translations;
    QCOMPARE(translations.language(), QStringLiteral("de"));
    QFile note(home.notesFolder() + QStringLiteral("/Einkauf.md"));
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.write("Einkauf\nMilch");
    note.close();
    FolderAccess::saveBookmark(home.notesFolder());
    QuillboxApp app;
    app.show();
    settle();

    QStringList menus;
    for (const QAction* menu : app.window().menuBar()->actions())
        menus.append(withoutMnemonic(menu->text()));
    QCOMPARE(menus.first(), QStringLiteral("Datei"));
    QVERIFY2(menus.contains(QStringLiteral("Notizen")), qPrintable(menus.join(u' ')));
    expectUniqueMnemonics(QStringLiteral("menu bar"), app.window().menuBar()->actions());

    // Qt's own words: the editor's context menu.
    const std::unique_ptr<QMenu> context(
        app.window().editor()->textEdit()->createStandardContextMenu());
    QStringList entries;
    for (const QAction* action : context->actions())
        entries.append(withoutMnemonic(action->text()).section(u'\t', 0, 0));
    QVERIFY2(entries.contains(QStringLiteral("Rückgängig")), qPrintable(entries.join(u'|')));

    // An alert's "Abbrechen" is its cancel button, placed where the desktop puts Cancel.
    QMessageBox::ButtonRole role = QMessageBox::InvalidRole;
    QTimer::singleShot(0, [&role] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == QStringLiteral("Abbrechen"))
                role = box->buttonRole(button);
        }
        box->reject();
    });
    MessageBoxAlerts(&app.window())
        .showText(QStringLiteral("?"), {}, AlertService::Style::Warning,
                  {HistoryPreferences::tr("Clear History"), HistoryPreferences::tr("Cancel")});
    QCOMPARE(role, QMessageBox::RejectRole);

    app.showPreferences();
    QCOMPARE(app.preferencesDialog()->windowTitle(), QStringLiteral("Einstellungen – Quillbox"));
    QSpinBox* days = daysField(*app.preferencesDialog());
    QVERIFY(days);
    days->setValue(2);
    QCOMPARE(days->text(), QStringLiteral("2 Tage"));
}

void TranslationsTest::plurals_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("shown");
    QTest::newRow("German, one") << QLocale::German << 1 << QStringLiteral("1 Tag");
    QTest::newRow("German, two") << QLocale::German << 2 << QStringLiteral("2 Tage");
    QTest::newRow("English, one") << QLocale::English << 1 << QStringLiteral("1 day");
    QTest::newRow("English, two") << QLocale::English << 2 << QStringLiteral("2 days");
    // No French translation: English words, with English plurals all the same.
    QTest::newRow("French, one") << QLocale::French << 1 << QStringLiteral("1 day");
}

void TranslationsTest::plurals()
{
    QFETCH(QLocale::Language, language);
    QFETCH(int, count);
    QFETCH(QString, shown);
    TestHome home;
    const Translations translations{QLocale(language)};
    FakeClock clock;
    History history{clock};
    ScriptedAlerts alerts;
    HistoryPreferences preferences(history, alerts);
    QSpinBox* days = daysField(preferences);
    QVERIFY(days);
    days->setValue(count == 1 ? 2 : 1); // the text must follow a change either way
    days->setValue(count);
    QCOMPARE(days->text(), shown);
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
