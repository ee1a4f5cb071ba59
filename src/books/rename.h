#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// Where one book is after the rename: its new path, or, when it was not
// renamed, its old path and why.
struct RenameResult {
    ByteText path;
    std::optional<Problem> problem;
};

// The file name a book's first line gives: its title, mended to be a file
// name (without ".txt"); or, when there is none or the book cannot be read,
// why.
struct BookTitle {
    ByteText name;
    std::optional<Problem> problem;
};
BookTitle readBookTitle(const ByteText& path);

// The start of a book's first line, as far as a title can reach (4 KiB),
// without its line end; the empty text when the book cannot be read.
ByteText readTitleLine(const ByteText& path);

// Told of each book, in the order given, once its rename is on the disk or
// it has failed.
using BookRenamed = std::function<void(const ByteText& book, const RenameResult& result)>;

// Renames every book, one after the other in the given order, to the title
// in its first line (mended to be a file name) and ".txt", in its own
// folder. A book is never renamed onto an existing file, and a book without
// a title keeps its name. Renames are made durable in groups: each folder
// is synced once after the last rename of a group, and only then are the
// group's books reported. One result per path, in the same order.
std::vector<RenameResult> renameBooks(const std::vector<ByteText>& paths,
                                      const BookRenamed& onRenamed = {});

}  // namespace juanzhi
