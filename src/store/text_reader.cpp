#include "store/text_reader.h"

#include "store/naming.h"
#include "store/note_list.h"
#include "store/note_loader.h"
#include "store/work_queue.h"

#include <QtConcurrent>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The first batch is small, so the notes on screen are searchable at once; later ones are
// larger, so that taking them in costs the window little per note.
constexpr qsizetype firstBatch = 64;
constexpr qsizetype largestBatch = 512;

QByteArray nameBytes(const QString& url)
{
    return Naming::pathBytes(Naming::fileName(url));
}

} // namespace

TextReader::TextReader(NoteList& list, WorkQueue& queue, QObject* parent)
    : QObject(parent), m_list(list), m_queue(queue)
{}

TextReader::~TextReader()
{
    stop();
}

void TextReader::stop()
{
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    // The reading thread posts to this object: it must be done before the object can go.
    m_run.waitForFinished();
}

void TextReader::start(const QString& folder)
{
    stop();
    m_folder = folder;
    m_total = std::count_if(m_list.notes().cbegin(), m_list.notes().cend(),
                            [](const Note& note) { return note.textPending; });
    m_done = 0;
    m_filledThisPass = 0;
    if (m_total == 0) {
        emit finished();
        return;
    }
    const Cancel run = std::make_shared<std::atomic_bool>(false);
    m_cancel = run;
    // The names are taken on the reading thread: a hundred thousand of them would hold the
    // window just as the list appears.
    m_run = QtConcurrent::run([this, folder, listed = m_list.notes(), run]() mutable {
        QByteArrayList names;
        for (const Note& note : std::as_const(listed)) {
            if (note.textPending)
                names.append(nameBytes(note.url));
        }
        // Let go of the records, so that the first text taken in does not copy the list.
        listed = {};
        qsizetype batch = firstBatch;
        for (qsizetype at = 0; at < names.size() && !run->load(); at += batch, batch *= 2) {
            batch = qMin(batch, largestBatch);
            const QByteArrayList part = names.mid(at, batch);
            std::vector<std::optional<Note>> read = NoteLoader::readTexts(folder, part);
            // Taken in through the queue: a load or a save queued before it comes first, and
            // nothing changes under a question being asked.
            QMetaObject::invokeMethod(
                this,
                [this, part, read = std::move(read), run]() mutable {
                    m_queue.add([this, part, read = std::move(read), run]() mutable {
                        if (!run->load())
                            take(part, std::move(read));
                    });
                },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            this, [this, run] { m_queue.add([this, run] { end(run); }); }, Qt::QueuedConnection);
    });
}

void TextReader::take(const QByteArrayList& names, std::vector<std::optional<Note>> read)
{
    QList<Note> texts;
    texts.reserve(names.size());
    QByteArrayList gone;
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i])
            texts.append(std::move(*read[i]));
        else
            gone.append(names.at(qsizetype(i)));
    }
    m_done += names.size();
    const qsizetype filled = m_list.fill(std::move(texts));
    m_filledThisPass += filled;
    if (filled > 0)
        emit textsArrived();
    if (!gone.isEmpty())
        emit vanished(gone);
}

void TextReader::end(const Cancel& run)
{
    if (run->load() || run != m_cancel)
        return;
    m_cancel.reset();
#ifdef __GLIBC__
    // The readers' buffers were freed in their threads' heaps; hand those pages back.
    ::malloc_trim(0);
#endif
    // A reload that began before a text arrived may have put back its record as the scan
    // made it: those are read again, as long as a pass still finds something to fill.
    const bool another =
        m_filledThisPass > 0 && std::any_of(m_list.notes().cbegin(), m_list.notes().cend(),
                                            [](const Note& note) { return note.textPending; });
    if (another) {
        start(m_folder);
        return;
    }
    m_done = m_total;
    emit textsArrived();
    emit finished();
}

int TextReader::percentRead() const
{
    if (!isReading() || m_total == 0)
        return 100;
    return int(qMin<qsizetype>(99, m_done * 100 / m_total));
}

std::optional<Note> TextReader::readNow(const Note& note)
{
    if (!note.textPending)
        return note;
    const QByteArray name = nameBytes(note.url);
    std::vector<std::optional<Note>> read =
        NoteLoader::readTexts(Naming::folderOf(note.url), {name});
    if (!read.front()) {
        emit vanished({name});
        return std::nullopt;
    }
    Note own = *read.front();
    if (m_list.fill({std::move(*read.front())}) > 0)
        emit textsArrived();
    if (const Note* listed = m_list.find(note.url); listed && !listed->textPending)
        return *listed;
    own.id = note.id;
    own.prepareSearch();
    return own;
}
