// replaceInBooks on one book in a scratch folder, against the whole-book
// rule: the text in front of the stop is replaced as by the plain walk, the
// rest (only 0x1A bytes may follow the text) is kept; any other rest makes
// the book no plain text, which is reported and left as it was.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "books/replace.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

bool lists(const std::vector<juanzhi::ByteText>& paths, const juanzhi::ByteText& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const juanzhi::ByteText search(input.ConsumeRandomLengthString(8));
    const juanzhi::ByteText replacement(input.ConsumeRandomLengthString(8));
    const std::string book = input.ConsumeRemainingBytesAsString();
    if (search.empty()) {
        return 0;
    }

    const ScratchFolder folder;
    const juanzhi::ByteText path = folder.write("book.txt", book);
    const juanzhi::ReplaceResult result = juanzhi::replaceInBooks({path}, search, replacement);
    const std::string after = folder.read("book.txt");
    bool reported = false;
    for (const auto& failure : result.failures) {
        reported = reported || failure.path == path;
    }

    const std::size_t textLength = naiveTextLength(book);
    const std::string_view rest = std::string_view(book).substr(textLength);
    const std::string expected = isPlainText(book)
                                     ? naiveReplaceAll(std::string_view(book).substr(0, textLength),
                                                       search.bytes(), replacement.bytes()) +
                                           std::string(rest)
                                     : book;
    const auto shown = {Shown{"book", book}, Shown{"search", search.bytes()},
                        Shown{"replacement", replacement.bytes()}, Shown{"expected", expected},
                        Shown{"file after", after}};
    if (!isPlainText(book)) {
        check(reported, "a book with more than 0x1A after its stop is reported", shown);
    } else {
        check(result.failures.empty(), "a plain book is replaced without a failure", shown);
    }
    check(after == expected, "the book afterwards is the whole-book replacement", shown);
    check(lists(result.changed, path) == (expected != book),
          "a book is listed as changed exactly when its bytes changed", shown);
    const std::string names = joined(folder.names());
    check(names == "book.txt ", "no other file is left in the folder",
          {{"book", book}, {"files", names, true}});
    return 0;
}
