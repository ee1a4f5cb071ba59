#pragma once

#include <functional>
#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

struct ReplaceResult {
    std::vector<ByteText> changed;  // the books whose text changed, in order
    std::vector<Failure> failures;
};

// Called after each book that was handled, whether its text changed or not.
using BookHandled = std::function<void(const ByteText& book)>;

// Replaces every occurrence of `search` by `replacement` in each book, one
// after the other in the given order: the whole book, exact bytes, found by
// the character rule. A book's new content is written beside it and moved
// over it in one step, keeping its permissions, so a book is always either
// all old or all new; a book without an occurrence is not written at all.
// A book holding a stop byte anywhere but in a run at its very end (the old
// end-of-text mark) is no GBK text and stays unchanged; so does a book that
// cannot be read or written. Those are reported.
ReplaceResult replaceInBooks(const std::vector<ByteText>& paths, const ByteText& search,
                             const ByteText& replacement, const BookHandled& onHandled = {});

}  // namespace juanzhi
