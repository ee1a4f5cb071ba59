#include "books/replace.h"

#include <new>
#include <optional>
#include <string>

#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_file.h"

namespace juanzhi {

using platform::FileError;

namespace {

// The whole file; nothing when it cannot be read or held.
std::optional<std::string> readWhole(const platform::OsFile& file) {
    const auto length = file.length();
    if (!length) {
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(*length));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = file.readAt(static_cast<std::int64_t>(filled), bytes.data() + filled,
                                     bytes.size() - filled);
        if (!got) {
            return std::nullopt;
        }
        if (*got == 0) {
            break;  // it became shorter meanwhile
        }
        filled += *got;
    }
    bytes.resize(filled);
    return bytes;
}

// The length of the book's text: all of it, or what is in front of a run of
// end-of-text marks that ends the book. Nothing for a book with a stop byte
// anywhere else, such as UTF-16 text, which a GBK replacement would damage.
std::optional<std::size_t> plainTextLength(std::string_view book) {
    const std::size_t length = textLengthBeforeStop(book);
    if (book.find_first_not_of(static_cast<char>(StopByteSub), length) != std::string_view::npos) {
        return std::nullopt;
    }
    return length;
}

// Puts `content` in the place of the open book at `path` in one step.
FileError writeOver(const ByteText& path, const platform::OsFile& book, std::string_view content) {
    // A book the user may not write stays as it is, although its folder
    // would let a new file take its place.
    const FileError refused =
        platform::openFile(path, platform::Access::ReadWrite, platform::Creation::MustExist).error;
    if (refused != FileError::None) {
        return refused;
    }
    FileError why = FileError::None;
    auto pending = PendingFile::create(path, why);
    if (!pending) {
        return why;
    }
    why = pending->append(content);
    return why == FileError::None ? pending->commitOver(book) : why;
}

enum class Outcome { Unchanged, Changed };

struct BookOutcome {
    Outcome outcome = Outcome::Unchanged;
    std::optional<Problem> problem;
};

BookOutcome replaceInBook(const ByteText& path, std::string_view search,
                          std::string_view replacement) {
    const auto opened =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    if (!opened.file) {
        return {Outcome::Unchanged, readProblem(opened.error)};
    }
    const auto book = readWhole(*opened.file);
    if (!book) {
        return {Outcome::Unchanged, Problem::CannotRead};
    }
    const auto textLength = plainTextLength(*book);
    if (!textLength) {
        return {Outcome::Unchanged, Problem::NotPlainText};
    }
    const std::string_view text = std::string_view(*book).substr(0, *textLength);
    std::string replaced = replaceAllBytes(text, search, replacement);
    if (replaced == text) {
        return {};
    }
    replaced.append(std::string_view(*book).substr(*textLength));

    const FileError why = writeOver(path, *opened.file, replaced);
    if (why != FileError::None) {
        return {Outcome::Unchanged, writeProblem(why)};
    }
    return {Outcome::Changed, std::nullopt};
}

}  // namespace

ReplaceResult replaceInBooks(const std::vector<ByteText>& paths, const ByteText& search,
                             const ByteText& replacement, const BookHandled& onHandled) {
    ReplaceResult result;
    for (const ByteText& path : paths) {
        const BookOutcome done = replaceInBook(path, search.bytes(), replacement.bytes());
        if (done.problem) {
            result.failures.push_back({path, *done.problem});
            continue;
        }
        if (done.outcome == Outcome::Changed) {
            result.changed.push_back(path);
        }
        if (onHandled) {
            onHandled(path);
        }
    }
    return result;
}

}  // namespace juanzhi
