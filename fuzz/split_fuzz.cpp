// splitBook on the input into a scratch folder, against a whole-book scan:
// lines end at an LF where a character starts, heading lines give the
// boundaries, and a boundary closer than 60 bytes to the one kept before it
// goes.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "books/split.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

// Offsets of the LF bytes that end lines: those where a character starts.
std::vector<std::size_t> lineBreaks(std::string_view book) {
    std::vector<std::size_t> breaks;
    for (const std::size_t at : characterStarts(book)) {
        if (book[at] == '\n') {
            breaks.push_back(at);
        }
    }
    return breaks;
}

// 0, every heading line's offset, the book's size; then pruned by the rule.
std::vector<std::size_t> naiveBoundaries(std::string_view book) {
    std::vector<std::size_t> found{0};
    std::size_t lineStart = 0;
    std::vector<std::size_t> ends = lineBreaks(book);
    ends.push_back(book.size());  // the last line needs no LF
    for (const std::size_t end : ends) {
        if (juanzhi::isChapterHeading(book.substr(lineStart, end - lineStart))) {
            found.push_back(lineStart);
        }
        lineStart = end + 1;
    }
    found.push_back(book.size());

    for (std::size_t i = 1; i + 1 < found.size();) {
        if (found[i] - found[i - 1] < juanzhi::MinimumPieceBytes) {
            found.erase(found.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view book(reinterpret_cast<const char*>(data), size);
    const ScratchFolder folder;
    const juanzhi::ByteText path = folder.write("book.txt", book);
    const juanzhi::SplitResult result =
        juanzhi::splitBook(path, juanzhi::ByteText("p"), juanzhi::Numbering::Suffix, folder.path());
    check(result.failures.empty(), "a book is split without a failure", {{"book", book}});

    std::string whole;
    std::vector<std::size_t> boundaries;
    for (std::int64_t n = 1; n <= result.pieceCount; ++n) {
        const std::string name = "p_" + std::to_string(n) + ".txt";
        check(result.piece(n) == folder.path(name), "the pieces are numbered from 1",
              {{"book", book}, {"piece", result.piece(n).bytes()}});
        boundaries.push_back(whole.size());
        whole += folder.read(name);
    }
    boundaries.push_back(whole.size());
    check(whole == book, "the pieces joined in order are the book",
          {{"book", book}, {"joined", whole}});

    const std::vector<std::size_t> breaks = lineBreaks(book);
    for (std::size_t n = 1; n + 1 < boundaries.size(); ++n) {
        const std::size_t start = boundaries[n];
        const auto next = std::lower_bound(breaks.begin(), breaks.end(), start);
        const bool atLineStart = next != breaks.begin() && *std::prev(next) == start - 1;
        const std::size_t end = next == breaks.end() ? book.size() : *next;
        const std::string shownStart = std::to_string(start);
        check(atLineStart && juanzhi::isChapterHeading(book.substr(start, end - start)),
              "every piece but the first starts with a heading line",
              {{"book", book}, {"piece start (decimal)", shownStart, true}});
    }

    const std::string expected = joined(naiveBoundaries(book));
    const std::string got = joined(boundaries);
    check(got == expected, "the boundaries are those of the whole-book scan",
          {{"book", book}, {"expected (decimal)", expected, true}, {"got (decimal)", got, true}});
    check(folder.names().size() == 1 + static_cast<std::size_t>(result.pieceCount),
          "no file but the book and its pieces is left",
          {{"book", book}, {"files", joined(folder.names()), true}});
    return 0;
}
