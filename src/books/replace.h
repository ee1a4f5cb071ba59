#pragma once

#include <functional>
#include <vector>

#include "books/batch_report.h"
#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

struct ReplaceResult {
    std::vector<ByteText> changed;  // the books whose text changed, in order
    std::vector<Failure> failures;
};

// Replaces every occurrence of `search` by `replacement` in each book, one
// after the other in the given order: the whole book, exact bytes, found by
// the character rule. A book's new content is written beside it and moved
// over it in one step, keeping its permissions, so a book is always either
// all old or all new; a book without an occurrence is not written at all.
// A book holding a stop byte anywhere but in a run at its very end (the old
// end-of-text mark) is no GBK text and stays unchanged; so does a book that
// cannot be read or written. Those are reported.
// Changed books are put in place in groups that wait for the disk once; each
// book is reported to `onReported`, in order, once it is in place, found
// unchanged, or has failed.
ReplaceResult replaceInBooks(const std::vector<ByteText>& paths, const ByteText& search,
                             const ByteText& replacement, const BookReported& onReported = {});

}  // namespace juanzhi
