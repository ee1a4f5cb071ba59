#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "books/batch_report.h"
#include "books/failure.h"
#include "core/byte_text.h"
#include "core/pending_file.h"
#include "core/platform.h"

namespace juanzhi {

// What a job made of one book: its new content, written beside it and ready
// to take its place; nothing when the book stays as it is; or why not.
struct BookChange {
    std::optional<PendingFile> file;
    std::optional<Problem> problem;

    static BookChange failed(Problem problem) {
        BookChange change;
        change.problem = problem;
        return change;
    }
};

// Writes one book's new content beside it: `path` is the book itself (any
// link followed), `book` its open handle, which holds the writer's lock.
using ChangeBook = std::function<BookChange(const ByteText& path, const platform::OsFile& book)>;

// The one way books are changed in place. For each book in order: a link is
// followed to the book itself (and stays a link), abandoned passing files
// beside it are cleared, the book is opened with `access` and locked
// against other writers, and `change` writes its new content. Changed books
// take their places in commit groups, each holding its lock until then; a
// book listed twice waits for its first change. Each outcome goes to
// `outcomes`; a book that cannot be opened is reported as `refusal` reads
// the OS's reason, and one that needs more memory than there is as such.
void changeBooks(const std::vector<ByteText>& paths, platform::Access access,
                 Problem (*refusal)(platform::FileError), BookOutcomes& outcomes,
                 const ChangeBook& change);

}  // namespace juanzhi
