#include "note_loader.h"
#include "note_generator.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>
static double cpuMs(){ timespec t; clock_gettime(CLOCK_PROCESS_CPUTIME_ID,&t); return t.tv_sec*1e3+t.tv_nsec/1e6; }
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int count = atoi(argv[2]);
    if (!QDir(folder).exists()) { QDir().mkpath(folder); NoteGenerator::fill(folder, count); }
    QElapsedTimer t; t.start();
    NoteLoader::Result first = NoteLoader::load(folder);
    printf("full load %lld ms (%lld notes)\n", (long long)t.elapsed(), (long long)first.notes.size());
    for (int i = 0; i < 20; ++i) {
        const double c0 = cpuMs();
        t.start();
        NoteLoader::Result again = NoteLoader::load(folder, first.notes);
        const qint64 a = t.nsecsElapsed();
        printf("cpu %.1f ms ", cpuMs() - c0);
        again = {};
        printf("unchanged %.1f ms (+ %.1f ms to free) unchanged=%d\n", a / 1e6, (t.nsecsElapsed() - a) / 1e6, 0);
    }
}
