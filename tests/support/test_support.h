#pragma once

#include "folder/folder_panel.h"
#include "store/clock.h"
#include "views/alert_service.h"
#include "views/print_service.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

// A private home for one test: HOME and the XDG folders point inside a fresh temporary folder.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }
    QString notesFolder() const { return makeFolder(QStringLiteral("Notes")); } // created
    QString makeFolder(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Records every alert; text alerts answer from a script (Cancel once the script is empty).
class ScriptedAlerts final : public AlertService
{
public:
    struct Shown
    {
        bool isError = false;
        FileError error; // of an error alert
        QString message, informativeText;
        Style style = Style::Warning;
        QStringList buttons;
    };

    void answerNext(bool firstButton) { m_answers.append(firstButton); }
    void showError(const FileError& error) override;
    bool showText(const QString& message, const QString& informativeText, Style style,
                  const QStringList& buttons) override;

    QList<Shown> shown;
    void expect(qsizetype index, const QString& message, const QString& informativeText,
                Style style, const QStringList& buttons) const;
    // Runs while an alert is open, as a real modal alert's event loop would run events.
    std::function<void()> whileShown;

private:
    QList<bool> m_answers;
};

// What failed, where and why, when a comparison fails.
inline char* toString(const FileError& error)
{
    return QTest::toString(QStringLiteral("FileError(%1, %2, %3, %4)")
                               .arg(int(error.kind))
                               .arg(error.path, error.target)
                               .arg(error.code));
}

// The chooser as a user answers it: the test says which folder was picked, or cancels.
class ScriptedFolderPanel final : public FolderPanel
{
public:
    void present(std::function<void(const QString& folder)> done) override
    {
        ++presented;
        m_done = std::move(done);
    }
    bool isOpen() const { return bool(m_done); }
    void answer(const QString& folder); // empty: cancel
    int presented = 0;

private:
    std::function<void(const QString& folder)> m_done;
};

class RecordingPrinter final : public PrintService
{
public:
    struct Printed
    {
        QString title, body;
    };
    void printNote(const QString& title, const QString& body) override
    {
        printed.append({title, body});
    }
    QList<Printed> printed;
};

class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return current; }
    QDateTime current = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
};

// Dates a day apart, for a known newest-first order.
namespace Day {
inline const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
inline const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
inline const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));
} // namespace Day

// Lowers a limit while it lives: RLIMIT_FSIZE makes writes fail as on a full disk.
class ResourceLimit
{
public:
    ResourceLimit(int resource, rlim_t value) : m_resource(resource)
    {
        ::getrlimit(resource, &m_saved);
        const rlimit limited{value, m_saved.rlim_max};
        ::setrlimit(resource, &limited);
    }
    ~ResourceLimit() { ::setrlimit(m_resource, &m_saved); }

private:
    int m_resource;
    rlimit m_saved{};
};

namespace TestFiles {
void write(const QString& path, const QByteArray& bytes, const QDateTime& modified = {});
QByteArray read(const QString& path);
QStringList entries(const QString& folder); // visible and hidden, sorted
void setReadOnly(const QString& path, bool readOnly);
void setMode(const QString& path, mode_t mode);
// The application's settings file, where users and scripts find it.
QString settingsFile();
bool settingsHold(const QString& key);
} // namespace TestFiles

// One row of a data-driven test: row("what it shows", column, column, ...).
template <typename... Columns> void row(const char* tag, const Columns&... columns)
{
    (QTest::newRow(tag) << ... << columns);
}

// Runs the loads on the thread pool and the work queued on the event loop, then what it queued.
void settle();

// Permissions do not apply to root, so the tests of read-only folders run as nobody.
void dropRootPrivileges();

#define QUILLBOX_TEST_MAIN_WITH(Application, TestClass)                                            \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        dropRootPrivileges();                                                                      \
        Application app(argc, argv);                                                               \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
#define QUILLBOX_TEST_MAIN(TestClass) QUILLBOX_TEST_MAIN_WITH(QCoreApplication, TestClass)
#define QUILLBOX_GUI_TEST_MAIN(TestClass) QUILLBOX_TEST_MAIN_WITH(QApplication, TestClass)
