#include "books/merge.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "books/file_name.h"
#include "core/path.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_blocks.h"
#include "core/text_file.h"
#include "core/writer_lock.h"

namespace juanzhi {

using platform::FileError;

namespace {

constexpr std::string_view LineBreak = "\r\n";

// Hands the book's text to `output` block by block, or, without an output,
// only checks it. A book whose text is followed by anything but a run of
// end-of-text marks is no plain text: it would be cut short.
std::optional<Problem> copyText(const platform::OsFile& book, PendingFile* output,
                                std::string& blockBuffer, FileError& writeError) {
    TextBlocks blocks(book, blockBuffer);
    while (true) {
        const auto block = blocks.next();
        if (!block) {
            return Problem::CannotRead;
        }
        if (!onlyEndMarks(block->after)) {
            return Problem::NotPlainText;
        }
        if (output) {
            writeError = output->append(block->text);
            if (writeError != FileError::None) {
                return writeProblem(writeError);
            }
        }
        if (block->last) {
            return std::nullopt;
        }
    }
}

}  // namespace

ByteText mergedBookPath(const ByteText& folder, const ByteText& name) {
    const ByteText mended = mendFileName(name);
    if (mended.empty()) {
        return {};
    }
    const ByteText fileName = concatTexts(mended, ByteText(".txt"));
    // Without a folder the book goes to the working folder, never to the root.
    return folder.empty() ? fileName : joinPath(folder, fileName);
}

MergeResult mergeBooks(const std::vector<ByteText>& paths, const ByteText& output,
                       const BookPassed& onPassed) {
    MergeResult result;
    if (output.empty()) {
        result.failures.push_back({output, Problem::BadName});
        return result;
    }
    // An older output the user may not write stays as it is, as it would if
    // it were emptied and written in place; one that may be written gives
    // the new one its permissions. It is locked like any book being changed:
    // it may be one.
    const auto older = openForWriting(output, platform::Access::WriteOnly);
    if (!older.file && older.error != FileError::NotFound) {
        result.failures.push_back({output, writeProblem(older.error)});
        return result;
    }
    FileError why = FileError::None;
    PendingFile::clearAbandonedBeside(output);
    auto merged = PendingFile::create(output, why);
    if (!merged) {
        result.failures.push_back({output, writeProblem(why)});
        return result;
    }

    // Once a book has failed nothing is written any more; the rest are
    // only checked, so that every book that stands in the way is reported.
    bool writing = true;
    std::string blockBuffer;  // one for all the books
    for (const ByteText& path : paths) {
        std::optional<Problem> problem;
        const auto book =
            platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
        if (!book.file) {
            problem = readProblem(book.error);
        } else {
            why = FileError::None;
            try {
                problem = copyText(*book.file, writing ? &*merged : nullptr, blockBuffer, why);
            } catch (const std::bad_alloc&) {
                problem = Problem::OutOfMemory;
            }
            if (why != FileError::None) {
                result.failures.push_back({output, writeProblem(why)});
                return result;
            }
        }
        if (problem) {
            result.failures.push_back({path, *problem});
            writing = false;
        } else if (writing) {
            why = merged->append(LineBreak);
            if (why != FileError::None) {
                result.failures.push_back({output, writeProblem(why)});
                return result;
            }
        }
        if (onPassed) {
            onPassed(path);
        }
    }
    if (!writing) {
        return result;  // the older output, if any, stays as it was
    }
    // A new merged book can always be made again from the books, so it is
    // not waited for on the disk: that wait alone would make a merge take
    // twice as long as copying the books. One that replaces an older file
    // (which may be one of the books) is on the disk before it takes its
    // place, and its folder is synced after.
    if (older.file) {
        why = merged->commitOver(*older.file, PendingFile::Flush::ToDisk);
        if (why == FileError::None) {
            platform::syncFolder(containingFolder(output));
        }
    } else {
        why = merged->commit(PendingFile::Flush::Skip);
    }
    if (why != FileError::None) {
        result.failures.push_back({output, writeProblem(why)});
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace juanzhi
