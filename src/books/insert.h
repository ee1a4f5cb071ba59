#pragma once

#include <vector>

#include "books/batch_report.h"
#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// Where a text goes into a book; neither leaves the books as they are.
struct InsertPlaces {
    bool secondLine = false;
    bool endOfFile = true;
};

// Inserts `content` and CR LF into each book, one after the other in the
// given order: as its second line (right after the first line break; a
// one-line book without one gets it at the end of that line) and at its end
// after a CR LF, so that it starts a line of its own. With both, the second
// line goes first. A book is written beside itself and takes its old
// place in one step, keeping its permissions, so it is always wholly old or
// wholly new; a symbolic link to it stays a link. A book that another run
// is changing, that cannot be read or written, or that is no plain text
// (bytes after a NUL or an end-of-text mark) is left as it was and reported.
// Books are put in place in groups that wait for the disk once; each book is
// reported to `onReported`, in order, once it is in place or has failed.
std::vector<Failure> insertIntoBooks(const std::vector<ByteText>& paths, InsertPlaces places,
                                     const ByteText& content, const BookReported& onReported = {});

}  // namespace juanzhi
