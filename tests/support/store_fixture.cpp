#include "store_fixture.h"

#include "folder/folder_access.h"

StoreFixture::StoreFixture() : folder(home.notesFolder()) {}

NotesStore& StoreFixture::start(const QString& chosen)
{
    if (!chosen.isEmpty())
        folder = chosen;
    FolderAccess::saveBookmark(folder);
    m_store = std::make_unique<NotesStore>(services());
    QObject::connect(m_store.get(), &NotesStore::folderProblem,
                     [this](const FileError& error) { problems.append(error); });
    QObject::connect(m_store.get(), &NotesStore::saveFailed,
                     [this](const FileError& error) { failures.append(error); });
    m_store->setSaveDelay(20);
    // Tests change files step by step and reload when they mean to.
    m_store->setWatching(false);
    settle();
    return *m_store;
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
