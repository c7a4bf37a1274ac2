#include "store/libgit2.h"

#include <git2/global.h>

Libgit2::Libgit2()
{
    git_libgit2_init();
}

Libgit2::~Libgit2()
{
    git_libgit2_shutdown();
}

void Libgit2::ensure()
{
    static const Libgit2 instance;
}
