#include "books/insert.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "books/batch_report.h"
#include "core/commit_group.h"
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

// The book with its insertions written beside it, with the book's handle
// that holds its lock; or why not.
struct Insertion {
    std::optional<Problem> problem;
    std::optional<PendingFile> file;
    std::optional<platform::OsFile> book;
};

Insertion failed(Problem problem) {
    Insertion insertion;
    insertion.problem = problem;
    return insertion;
}

Insertion insertIntoBook(const ByteText& listed, InsertPlaces places, std::string_view line,
                         LeftoverClearing& leftovers, std::string& blockBuffer) {
    // A change goes to the book itself; a link to it stays a link.
    FileError unresolved = FileError::None;
    const auto target = platform::linkTarget(listed, unresolved);
    if (!target) {
        return failed(writeProblem(unresolved));
    }
    const ByteText& path = *target;
    leftovers.beside(path);
    // Opened for writing, so a book the user may not change is refused
    // before anything is written.
    auto opened = openForWriting(path, platform::Access::ReadWrite);
    if (!opened.file) {
        return failed(writeProblem(opened.error));
    }
    FileError why = FileError::None;
    auto pending = PendingFile::create(path, why);
    if (!pending) {
        return failed(writeProblem(why));
    }
    InsertedBook book(*pending, places, line);
    TextBlocks blocks(*opened.file, blockBuffer);
    while (true) {
        const auto block = blocks.next();
        if (!block) {
            return failed(Problem::CannotRead);
        }
        const bool textEnds = block->last || !block->after.empty();
        book.text(block->text, textEnds);
        if (!onlyEndMarks(block->after)) {
            return failed(Problem::NotPlainText);  // NUL inside, UTF-16, or no text at all
        }
        book.after(block->after);
        if (book.failure() != FileError::None) {
            return failed(writeProblem(book.failure()));
        }
        if (block->last) {
            break;
        }
    }
    if (places.endOfFile) {
        book.end();
    }
    if (book.failure() != FileError::None) {
        return failed(writeProblem(book.failure()));
    }
    return {std::nullopt, std::move(pending), std::move(opened.file)};
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
    CommitGroup group([&report](std::size_t index, FileError result) {
        report.known(index,
                     result == FileError::None ? std::nullopt : std::optional(writeProblem(result)),
                     result == FileError::None);
    });
    LeftoverClearing leftovers;
    std::string blockBuffer;  // one for all the books
    const auto prepare = [&](const ByteText& path) {
        try {
            return insertIntoBook(path, places, line.bytes(), leftovers, blockBuffer);
        } catch (const std::bad_alloc&) {
            return failed(Problem::OutOfMemory);
        }
    };
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // A book listed twice waits for its first change to be in place.
        if (const auto book = platform::fileIdentity(paths[i]); book && group.holds(*book)) {
            group.commit();
        }
        Insertion insertion = prepare(paths[i]);
        if (insertion.problem) {
            report.known(i, insertion.problem, false);
        } else {
            group.add(i, std::move(*insertion.file), std::move(*insertion.book));
        }
    }
    group.commit();
    return report.failures();
}

}  // namespace juanzhi
