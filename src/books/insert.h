#pragma once

#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// Where a text goes into a book; neither leaves the books as they are.
struct InsertPlaces {
    bool secondLine = false;
    bool endOfFile = true;
};

// Inserts `content` and CR LF into each book, one after the other in the
// given order, in place: as its second line (right after the first line
// break; a one-line book without one gets it at the end of that line) and at
// its end after a CR LF, so that it starts a line of its own. With both, the
// second line goes first, in the same opening. The rest of a book moves down
// in blocks, and an insertion that fails leaves the book as it was before
// it. Books that cannot be opened or written are reported.
std::vector<Failure> insertIntoBooks(const std::vector<ByteText>& paths, InsertPlaces places,
                                     const ByteText& content);

}  // namespace juanzhi
