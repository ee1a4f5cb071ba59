#include "books/insert.h"

#include <optional>
#include <string>
#include <string_view>

#include "books/batch_report.h"
#include "books/book_change.h"
#include "core/platform.h"
#include "core/text_blocks.h"

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

// The book with its insertions, written beside it.
BookChange insertIntoBook(const ByteText& path, const platform::OsFile& opened, InsertPlaces places,
                          std::string_view line, std::string& blockBuffer) {
    FileError why = FileError::None;
    auto pending = PendingFile::create(path, why);
    if (!pending) {
        return BookChange::failed(writeProblem(why));
    }
    InsertedBook book(*pending, places, line);
    TextBlocks blocks(opened, blockBuffer);
    while (true) {
        const auto block = blocks.next();
        if (!block) {
            return BookChange::failed(Problem::CannotRead);
        }
        const bool textEnds = block->last || !block->after.empty();
        book.text(block->text, textEnds);
        if (!onlyEndMarks(block->after)) {
            return BookChange::failed(
                Problem::NotPlainText);  // NUL inside, UTF-16, or no text at all
        }
        book.after(block->after);
        if (book.failure() != FileError::None) {
            return BookChange::failed(writeProblem(book.failure()));
        }
        if (block->last) {
            break;
        }
    }
    if (places.endOfFile) {
        book.end();
    }
    if (book.failure() != FileError::None) {
        return BookChange::failed(writeProblem(book.failure()));
    }
    return {std::move(pending), std::nullopt};
}

}  // namespace

std::vector<Failure> insertIntoBooks(const std::vector<ByteText>& paths, InsertPlaces places,
                                     const ByteText& content, const BookReported& onReported) {
    BookOutcomes report(paths, onReported);
    if (!places.secondLine && !places.endOfFile) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            report.known(i, std::nullopt, false);
        }
        return {};
    }
    const ByteText line = concatTexts(content, ByteText(LineBreak));
    std::string blockBuffer;  // one for all the books
    // Opened for writing, so a book the user may not change is refused
    // before anything is written.
    changeBooks(paths, platform::Access::ReadWrite, writeProblem, report,
                [&](const ByteText& path, const platform::OsFile& book) {
                    return insertIntoBook(path, book, places, line.bytes(), blockBuffer);
                });
    return report.failures();
}

}  // namespace juanzhi
