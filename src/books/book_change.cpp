#include "books/book_change.h"

#include <new>
#include <utility>

#include "core/commit_group.h"
#include "core/writer_lock.h"

namespace juanzhi {

using platform::FileError;

namespace {

BookChange changeOne(const ChangeBook& change, const ByteText& path, const platform::OsFile& book) {
    try {
        return change(path, book);
    } catch (const std::bad_alloc&) {
        return BookChange::failed(Problem::OutOfMemory);
    }
}

}  // namespace

void changeBooks(const std::vector<ByteText>& paths, platform::Access access,
                 Problem (*refusal)(FileError), BookOutcomes& outcomes, const ChangeBook& change) {
    CommitGroup group([&outcomes](std::size_t index, FileError committed) {
        const bool inPlace = committed == FileError::None;
        outcomes.known(index, inPlace ? std::nullopt : std::optional(writeProblem(committed)),
                       inPlace);
    });
    LeftoverClearing leftovers;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (const auto book = platform::fileIdentity(paths[i]); book && group.holds(*book)) {
            group.commit();
        }
        FileError why = FileError::None;
        const auto path = platform::linkTarget(paths[i], why);
        if (!path) {
            outcomes.known(i, refusal(why), false);
            continue;
        }
        leftovers.beside(*path);
        auto opened = openForWriting(*path, access);
        if (!opened.file) {
            outcomes.known(i, refusal(opened.error), false);
            continue;
        }
        BookChange changed = changeOne(change, *path, *opened.file);
        if (changed.file) {
            group.add(i, std::move(*changed.file), std::move(*opened.file));
        } else {
            outcomes.known(i, changed.problem, false);
        }
    }
    group.commit();
}

}  // namespace juanzhi
