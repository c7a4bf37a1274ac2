#include "app/launch_requests.h"

#include "app/quillbox_app.h"
#include "store/notes_store.h"

void LaunchRequests::perform(QuillboxApp& app, const CommandLine::Request& request)
{
    using Kind = CommandLine::Request::Kind;
    switch (request.kind) {
    case Kind::Show:
        app.raiseWindow();
        break;
    case Kind::NewNote:
        app.newNote(request.text);
        break;
    case Kind::Search:
        app.showSearch(request.text.value_or(QString()));
        break;
    case Kind::Open:
        for (const QString& file : request.files)
            app.openNoteFile(file);
        break;
    }
}

void LaunchRequests::start(QuillboxApp& app, const CommandLine::Request& request)
{
    if (request.service && request.kind == CommandLine::Request::Kind::Show)
        return;
    app.show();
    if (request.kind == CommandLine::Request::Kind::Show)
        return;
    if (app.store().folderURL().isEmpty()) {
        perform(app, request);
        return;
    }
    QObject::connect(
        &app.store(), &NotesStore::loadFinished, &app, [&app, request] { perform(app, request); },
        Qt::SingleShotConnection);
}
