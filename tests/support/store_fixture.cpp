#include "store_fixture.h"

#include "folder/folder_access.h"

#include <QSignalSpy>
#include <QThreadPool>

StoreFixture::StoreFixture() : folder(home.notesFolder()) {}

NotesStore& StoreFixture::start(const QString& chosen)
{
    if (!chosen.isEmpty())
        folder = chosen;
    make();
    readAll();
    return *m_store;
}

NotesStore& StoreFixture::startListed()
{
    return startListedWith([](NotesStore&) {});
}

NotesStore& StoreFixture::startListedWith(const std::function<void(NotesStore&)>& before)
{
    make();
    before(*m_store);
    QObject::connect(
        m_store.get(), &NotesStore::loadFinished, m_store.get(),
        [store = m_store.get()] { store->holdQueue(); }, Qt::SingleShotConnection);
    QSignalSpy listed(m_store.get(), &NotesStore::loadFinished);
    listed.wait(10000);
    // Every batch read and handed over: each waits in the held queue.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    return *m_store;
}

void StoreFixture::make()
{
    FolderAccess::saveBookmark(folder);
    m_store = std::make_unique<NotesStore>(services());
    QObject::connect(m_store.get(), &NotesStore::folderProblem,
                     [this](const FileError& error) { problems.append(error); });
    QObject::connect(m_store.get(), &NotesStore::saveFailed,
                     [this](const FileError& error) { failures.append(error); });
    m_store->setSaveDelay(20);
    // Tests change files step by step and reload when they mean to.
    m_store->setWatching(false);
}

void StoreFixture::type(const QString& name, const QString& text)
{
    const Note shown = note(name);
    if (shown.url != m_editorNote) {
        m_store->takeLiveText();
        m_editorNote = shown.url;
    }
    m_editorText = text;
    m_store->editDraft(shown, [this]() -> std::optional<QString> { return m_editorText; });
}

FolderChooser& StoreFixture::chooser()
{
    if (!m_chooser)
        m_chooser = std::make_unique<FolderChooser>(*m_store, panel);
    return *m_chooser;
}

Note StoreFixture::note(const QString& fileName) const
{
    for (const Note& n : m_store->notes()) {
        if (n.url == path(fileName))
            return n;
    }
    return {};
}

QStringList StoreFixture::titles() const
{
    QStringList titles;
    for (const Note& n : m_store->filteredNotes())
        titles.append(n.title);
    return titles;
}
