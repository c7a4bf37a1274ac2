#pragma once

#include <QByteArray>
#include <QDateTime>
#include <dirent.h>
#include <vector>

struct stat;

// The entries of a notes folder as both a full reading and a scan of names see them.
class FolderListing
{
public:
    // The visible entries that may be note files (regular files, links, or of a kind the file
    // system does not say), in listing order. Temporary files a killed save left behind are
    // removed on the way.
    static std::vector<QByteArray> candidateNames(DIR* dir);
    static QDateTime modified(const struct stat& st);
};
