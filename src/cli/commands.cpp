#include "cli/commands.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "books/merge.h"
#include "books/rename.h"
#include "books/replace.h"
#include "cli/progress_line.h"
#include "core/code_page.h"

namespace juanzhi::cli {

namespace {

constexpr std::string_view Arrow = " → ";

std::string shown(const ByteText& path) {
    return codePageToUtf8Shown(path);
}

// The lines of one run: what was done on `out`, what failed on `err`, and
// the progress line kept out of their way.
class BatchReport {
  public:
    BatchReport(const Console& console, std::size_t books)
        : console_(console), progress_(console.err, console.errIsTerminal, books) {}

    void done(std::string_view line) {
        progress_.clear();
        console_.out << line << '\n';
    }

    void failed(const Failure& failure) {
        progress_.clear();
        // What was done so far comes first, as it happened.
        console_.out.flush();
        console_.err << shown(failure.path) << ": " << problemText(failure.problem) << '\n';
        anyFailed_ = true;
    }

    void failed(const std::vector<Failure>& failures) {
        for (const Failure& failure : failures) {
            failed(failure);
        }
    }

    void advance() { progress_.advance(); }

    int exitCode() {
        progress_.clear();
        console_.out.flush();
        return anyFailed_ ? SomeBooksFailed : AllDone;
    }

  private:
    const Console& console_;
    ProgressLine progress_;
    bool anyFailed_ = false;
};

}  // namespace

int renameCommand(const std::vector<ByteText>& books, const Console& console) {
    BatchReport report(console, books.size());
    // The whole batch at once, so that its renames reach the disk together;
    // each line still comes as soon as its book is known.
    renameBooks(books, [&report](const ByteText& book, const RenameResult& result) {
        if (result.problem) {
            report.failed({book, *result.problem});
        } else {
            report.done(shown(book).append(Arrow).append(shown(result.path)));
        }
        report.advance();
    });
    return report.exitCode();
}

int mergeCommand(const std::vector<ByteText>& books, const ByteText& output,
                 const Console& console) {
    BatchReport report(console, books.size());
    const MergeResult result =
        mergeBooks(books, output, [&report](const ByteText&) { report.advance(); });
    if (result.written) {
        const std::string into = std::string(Arrow).append(shown(output));
        for (const ByteText& book : books) {
            const bool failed = std::any_of(result.failures.begin(), result.failures.end(),
                                            [&book](const Failure& f) { return f.path == book; });
            if (!failed) {
                report.done(shown(book).append(into));
            }
        }
    }
    report.failed(result.failures);
    return report.exitCode();
}

int splitCommand(const ByteText& book, const std::optional<ByteText>& name, Numbering numbering,
                 const ByteText& folder, const Console& console) {
    BatchReport report(console, 1);
    ByteText pieceName;
    if (name) {
        pieceName = *name;
    } else {
        const BookTitle title = readBookTitle(book);
        if (title.problem) {
            report.failed({book, *title.problem});
            return report.exitCode();
        }
        pieceName = title.name;
    }
    const SplitResult result = splitBook(book, pieceName, numbering, folder);
    if (result.pieceCount > 0) {
        const std::int64_t count = result.pieceCount;
        std::string line = shown(book).append(Arrow).append(std::to_string(count));
        line.append(" 个文件: ").append(shown(result.piece(1)));
        if (count > 1) {
            line.append(" … ").append(shown(result.piece(count)));
        }
        report.done(line);
    }
    report.failed(result.failures);
    return report.exitCode();
}

int replaceCommand(const std::vector<ByteText>& books, const ByteText& search,
                   const ByteText& replacement, const Console& console) {
    BatchReport report(console, books.size());
    // The whole batch at once, so that its books wait for the disk together;
    // each line still comes as soon as its book is known.
    replaceInBooks(
        books, search, replacement,
        [&report](const ByteText& book, const std::optional<Problem>& problem, bool changed) {
            if (problem) {
                report.failed({book, *problem});
            } else {
                report.done(shown(book).append(changed ? ": 已改动" : ": 无改动"));
            }
            report.advance();
        });
    return report.exitCode();
}

int insertCommand(const std::vector<ByteText>& books, InsertPlaces places, const ByteText& content,
                  const Console& console) {
    BatchReport report(console, books.size());
    insertIntoBooks(books, places, content,
                    [&report](const ByteText& book, const std::optional<Problem>& problem, bool) {
                        if (problem) {
                            report.failed({book, *problem});
                        } else {
                            report.done(shown(book).append(": 已插入"));
                        }
                        report.advance();
                    });
    return report.exitCode();
}

}  // namespace juanzhi::cli
