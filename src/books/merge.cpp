#include "books/merge.h"

#include <string>
#include <string_view>

#include "books/file_name.h"
#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/path.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_file.h"

namespace juanzhi {

using platform::FileError;

namespace {


constexpr std::string_view LineBreak = "\r\n";

enum class Copy { Done, ReadFailed, WriteFailed };

// Appends the book's text in front of its first stop byte to the output.
Copy copyText(const platform::OsFile& book, PendingFile& output, std::string& block,
              FileError& writeError) {
    std::int64_t offset = 0;
    std::size_t carried = 0;  // a lead byte from the end of the block before
    while (true) {
        const auto got = book.readAt(offset, block.data() + carried, block.size() - carried);
        if (!got) {
            return Copy::ReadFailed;
        }
        offset += static_cast<std::int64_t>(*got);
        const bool atEnd = *got == 0;
        const std::string_view bytes(block.data(), carried + *got);
        // A lead byte at the end waits for its second byte: a NUL there
        // would end the text in front of the lead.
        const bool leadWaits = !atEnd && !isCharacterStart(bytes, 0, bytes.size());
        const std::string_view whole = bytes.substr(0, bytes.size() - (leadWaits ? 1 : 0));
        const std::size_t text = textLengthBeforeStop(whole);
        writeError = output.append(whole.substr(0, text));
        if (writeError != FileError::None) {
            return Copy::WriteFailed;
        }
        if (text < whole.size() || atEnd) {
            return Copy::Done;
        }
        carried = leadWaits ? 1 : 0;
        if (leadWaits) {
            block[0] = bytes.back();
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
    // the new one its permissions.
    const auto older =
        platform::openFile(output, platform::Access::WriteOnly, platform::Creation::MustExist);
    if (!older.file && older.error != FileError::NotFound) {
        result.failures.push_back({output, writeProblem(older.error)});
        return result;
    }
    FileError why = FileError::None;
    auto merged = PendingFile::create(output, why);
    if (!merged) {
        result.failures.push_back({output, writeProblem(why)});
        return result;
    }

    std::string block(BlockBytes, '\0');
    for (const ByteText& path : paths) {
        const std::int64_t start = merged->size();
        const auto book =
            platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
        if (!book.file) {
            result.failures.push_back({path, readProblem(book.error)});
        } else {
            switch (copyText(*book.file, *merged, block, why)) {
                case Copy::Done:
                    break;
                case Copy::ReadFailed:
                    // Nothing of a book that broke midway, rather than a part.
                    merged->cutBack(start);
                    result.failures.push_back({path, Problem::CannotRead});
                    break;
                case Copy::WriteFailed:
                    result.failures.push_back({output, writeProblem(why)});
                    return result;
            }
        }
        why = merged->append(LineBreak);
        if (why != FileError::None) {
            result.failures.push_back({output, writeProblem(why)});
            return result;
        }
        if (onPassed) {
            onPassed(path);
        }
    }
    // The merged book can always be made again from the books, which stay
    // whole, so it is not waited for on the disk: that wait alone would make
    // a merge take twice as long as copying the books. It still takes the
    // older file's place only once complete.
    constexpr auto Flush = PendingFile::Flush::Skip;
    why = older.file ? merged->commitOver(*older.file, Flush) : merged->commit(Flush);
    if (why != FileError::None) {
        result.failures.push_back({output, writeProblem(why)});
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace juanzhi
