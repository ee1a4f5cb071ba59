#pragma once

#include <functional>
#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// The path of the merged book named `name` (mended to be a file name) in
// `folder`; the empty text when nothing of the name is left.
ByteText mergedBookPath(const ByteText& folder, const ByteText& name);

struct MergeResult {
    bool written = false;  // the output holds the merged books
    std::vector<Failure> failures;
};

// Called after each listed book, whether it went into the output or not.
using BookPassed = std::function<void(const ByteText& book)>;

// Joins the books in the given order into `output`: of each book its text
// (without a run of end-of-text marks at its end), then CR LF. The output is
// written under a passing name and takes its place, replacing an older file
// of that name (or a link of that name, never the file it points to), only
// when every book went in whole; so a listed book that is also the output is
// read as it was, and a failure leaves any older output untouched and no
// half-written file. A book that cannot be read, or that is no plain text
// (bytes after a NUL or an end-of-text mark), is reported, and nothing is
// written.
MergeResult mergeBooks(const std::vector<ByteText>& paths, const ByteText& output,
                       const BookPassed& onPassed = {});

}  // namespace juanzhi
