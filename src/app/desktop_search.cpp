#include "app/desktop_search.h"

#include "app/krunner_runner.h"
#include "app/quillbox_app.h"
#include "app/shell_search_provider.h"

DesktopSearch::DesktopSearch(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus), m_shell(new ShellSearchProvider(m_results, this)),
      m_runner(new KRunnerRunner(m_results, this))
{
    m_bus.registerObject(ShellSearchProvider::objectPath, m_shell,
                         QDBusConnection::ExportScriptableSlots);
    m_bus.registerObject(KRunnerRunner::objectPath, m_runner,
                         QDBusConnection::ExportScriptableSlots);
}

DesktopSearch::~DesktopSearch()
{
    m_bus.unregisterObject(ShellSearchProvider::objectPath);
    m_bus.unregisterObject(KRunnerRunner::objectPath);
}

void DesktopSearch::serve(QuillboxApp& app)
{
    m_results.attach(app.store());
    connect(m_shell, &ShellSearchProvider::openRequested, &app, &QuillboxApp::openNoteFile);
    connect(m_runner, &KRunnerRunner::openRequested, &app, &QuillboxApp::openNoteFile);
    connect(m_shell, &ShellSearchProvider::searchRequested, &app, &QuillboxApp::showSearch);
}
