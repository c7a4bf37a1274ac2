#pragma once

#include <QString>

#include <optional>

// Three-way merge of a note's text: base is the text last read from or written to the file,
// ours what the user typed since, theirs what another program put in the file. The merge is
// git's (through libgit2), line by line.
class TextMerge
{
public:
    // The merged text when the two sides changed different lines; nothing when their changes
    // touch the same or adjacent lines, so the caller keeps both texts apart.
    static std::optional<QString> merge(const QString& base, const QString& ours,
                                        const QString& theirs);
};
