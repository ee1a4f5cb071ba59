#include "books/insert.h"

#include <new>
#include <optional>
#include <string_view>

#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_blocks.h"
#include "core/writer_lock.h"

namespace juanzhi {

using platform::FileError;

namespace {

constexpr std::string_view LineBreak = "\r\n";

// Writes the book with its insertions beside it, then moves that over the
// book in one step: a crash or a full disk at any moment leaves the book
// as it was or wholly changed.
class InsertedBook {
  public:
    InsertedBook(PendingFile& out, InsertPlaces places, std::string_view line)
        : out_(out), line_(line), secondLineDue_(places.secondLine) {}

    // The book's text, in order: the second line goes in after the first
    // line break, or where the text ends when it has none.
    void text(std::string_view bytes, bool textEnds) {
        if (secondLineDue_) {
            const std::size_t lineEnd = findBytes(bytes, "\n");
            if (lineEnd != std::string_view::npos) {
                append(bytes.substr(0, lineEnd + 1));
                insertSecondLine();
                bytes.remove_prefix(lineEnd + 1);
            } else if (textEnds) {
                append(bytes);
                insertSecondLine();
                return;
            }
        }
        append(bytes);
    }

    void after(std::string_view bytes) { append(bytes); }

    void end() {
        append(LineBreak);
        append(line_);
    }

    FileError failure() const { return failed_; }

  private:
    void insertSecondLine() {
        append(line_);
        secondLineDue_ = false;
    }

    void append(std::string_view bytes) {
        if (failed_ == FileError::None) {
            failed_ = out_.append(bytes);
        }
    }

    PendingFile& out_;
    std::string_view line_;
    bool secondLineDue_;
    FileError failed_ = FileError::None;
};

std::optional<Problem> insertIntoBook(const ByteText& listed, InsertPlaces places,
                                      std::string_view line, LeftoverClearing& leftovers) {
    // A change goes to the book itself; a link to it stays a link.
    const ByteText path = platform::linkTarget(listed);
    leftovers.beside(path);
    // Opened for writing, so a book the user may not change is refused
    // before anything is written.
    const auto opened = openForWriting(path, platform::Access::ReadWrite);
    if (!opened.file) {
        return writeProblem(opened.error);
    }
    FileError why = FileError::None;
    auto pending = PendingFile::create(path, why);
    if (!pending) {
        return writeProblem(why);
    }
    InsertedBook book(*pending, places, line);
    TextBlocks blocks(*opened.file);
    while (true) {
        const auto block = blocks.next();
        if (!block) {
            return Problem::CannotRead;
        }
        const bool textEnds = block->last || !block->after.empty();
        book.text(block->text, textEnds);
        if (!onlyEndMarks(block->after)) {
            return Problem::NotPlainText;  // NUL inside, UTF-16, or no text at all
        }
        book.after(block->after);
        if (book.failure() != FileError::None) {
            return writeProblem(book.failure());
        }
        if (block->last) {
            break;
        }
    }
    if (places.endOfFile) {
        book.end();
    }
    if (book.failure() != FileError::None) {
        return writeProblem(book.failure());
    }
    if (const FileError committed = pending->commitOver(*opened.file);
        committed != FileError::None) {
        return writeProblem(committed);
    }
    return std::nullopt;
}

}  // namespace

std::vector<Failure> insertIntoBooks(const std::vector<ByteText>& paths, InsertPlaces places,
                                     const ByteText& content) {
    std::vector<Failure> failures;
    if (!places.secondLine && !places.endOfFile) {
        return failures;
    }
    const ByteText line = concatTexts(content, ByteText(LineBreak));
    LeftoverClearing leftovers;
    for (const ByteText& path : paths) {
        std::optional<Problem> problem;
        try {
            problem = insertIntoBook(path, places, line.bytes(), leftovers);
        } catch (const std::bad_alloc&) {
            problem = Problem::OutOfMemory;
        }
        if (problem) {
            failures.push_back({path, *problem});
        }
    }
    return failures;
}

}  // namespace juanzhi
