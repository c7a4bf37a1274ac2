#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QThreadPool>

#include <csignal>
#include <grp.h>
#include <unistd.h>

TestHome::TestHome()
{
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toUtf8());
    qunsetenv("XDG_STATE_HOME");
    qunsetenv("XDG_DOCUMENTS_DIR");
}

QString TestHome::makeFolder(const QString& name) const
{
    const QString folder = m_dir.path() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    return folder;
}

void ScriptedAlerts::showError(const FileError& error)
{
    shown.append({true, error, {}, {}, Style::Warning, {}});
    if (whileShown)
        whileShown();
}

bool ScriptedAlerts::showText(const QString& message, const QString& informativeText, Style style,
                              const QStringList& buttons)
{
    shown.append({false, {}, message, informativeText, style, buttons});
    if (whileShown)
        whileShown();
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

void ScriptedFolderPanel::answer(const QString& folder)
{
    QVERIFY2(m_done, "the chooser is not open");
    const auto done = std::move(m_done);
    m_done = nullptr;
    done(folder);
}

void ScriptedAlerts::expect(qsizetype index, const QString& message, const QString& informativeText,
                            Style style, const QStringList& buttons) const
{
    QVERIFY2(index < shown.size(), "that alert was not shown");
    const Shown& alert = shown.at(index);
    QVERIFY(!alert.isError);
    QCOMPARE(alert.message, message);
    QCOMPARE(alert.informativeText, informativeText);
    QCOMPARE(alert.style, style);
    QCOMPARE(alert.buttons, buttons);
}

namespace TestFiles {

void write(const QString& path, const QByteArray& bytes, const QDateTime& modified)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
    // To the millisecond: notes saved within one second must still sort apart.
    QVERIFY(!modified.isValid() ||
            (file.flush() && file.setFileTime(modified, QFileDevice::FileModificationTime)));
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void setReadOnly(const QString& path, bool readOnly)
{
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    const mode_t mode = readOnly ? (st.st_mode & ~writeBits) : (st.st_mode | S_IWUSR);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode & 07777), 0);
}

void setMode(const QString& path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/quillbox/quillbox.conf";
}

bool settingsHold(const QString& key)
{
    return QSettings(settingsFile(), QSettings::IniFormat).contains(key);
}

} // namespace TestFiles

void settle()
{
    for (int round = 0; round < 8; ++round) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
    }
}

void dropRootPrivileges()
{
    // Saves must fail with an error, not end the process, when a test limits the file size.
    std::signal(SIGXFSZ, SIG_IGN);
    if (::geteuid() != 0)
        return;
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0) {
        qFatal("could not leave root for the tests");
    }
}
