// Saves one note file the way every save does, for save_order_test.sh to trace.
#include "store/note_file.h"

#include <QString>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    return NoteFile::writeAtomically(QString::fromLocal8Bit(argv[1]), "saved text\n").error;
}
