#pragma once

// libgit2 sets up its allocator and threading state once; merges and comparisons from several
// threads share it, and it is torn down when the process ends.
class Libgit2
{
public:
    // Call before any libgit2 function.
    static void ensure();

private:
    Libgit2();
    ~Libgit2();
    Libgit2(const Libgit2&) = delete;
    Libgit2& operator=(const Libgit2&) = delete;
};
