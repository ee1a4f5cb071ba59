// mergeBooks of a few books over an output that already holds old bytes.
// When every book is plain text (nothing but 0x1A after its stop) the
// output is each book's text followed by CR LF; otherwise the merge fails,
// the first such book is reported and the old output stays. No passing file is
// left behind either way.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "books/merge.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

bool reports(const juanzhi::MergeResult& result, const juanzhi::ByteText& path) {
    for (const auto& failure : result.failures) {
        if (failure.path == path) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int count = input.ConsumeIntegralInRange(1, 4);
    const std::string old = input.ConsumeRandomLengthString(16);
    std::vector<std::string> books;
    for (int i = 1; i < count; ++i) {
        books.push_back(input.ConsumeRandomLengthString(64));
    }
    books.push_back(input.ConsumeRemainingBytesAsString());

    const ScratchFolder folder;
    std::vector<juanzhi::ByteText> paths;
    std::vector<std::string> names;
    std::string expected;
    std::string shownBooks;  // every book, for the report
    bool allPlain = true;
    for (std::size_t i = 0; i < books.size(); ++i) {
        names.push_back("book" + std::to_string(i + 1) + ".txt");
        paths.push_back(folder.write(names.back(), books[i]));
        expected += books[i].substr(0, naiveTextLength(books[i])) + "\r\n";
        allPlain = allPlain && isPlainText(books[i]);
        shownBooks += "[" + hex(books[i]) + "] ";
    }
    const juanzhi::ByteText output = folder.write("merged.txt", old);
    names.push_back("merged.txt");

    const juanzhi::MergeResult result = juanzhi::mergeBooks(paths, output);
    const std::string merged = folder.read("merged.txt");
    if (!allPlain) {
        expected = old;
    }
    const auto shown = {Shown{"books (hex)", shownBooks, true}, Shown{"old output", old},
                        Shown{"expected", expected}, Shown{"output", merged}};
    check(merged == expected,
          allPlain ? "plain books merge into their texts, each followed by CR LF"
                   : "a merge with a book that is not plain text leaves the old output",
          shown);
    check(result.written == allPlain, "the output is written exactly when every book is plain",
          shown);
    // A merge may stop at the first book that is not plain text, so only
    // that one must be reported; a plain book never is.
    bool firstNotPlain = true;
    for (std::size_t i = 0; i < books.size(); ++i) {
        const bool plain = isPlainText(books[i]);
        if (!plain && firstNotPlain) {
            check(reports(result, paths[i]), "the first book that is not plain text is reported",
                  shown);
            firstNotPlain = false;
        }
        if (plain) {
            check(!reports(result, paths[i]), "a plain book is not reported", shown);
        }
        check(folder.read(names[i]) == books[i], "the books stay as they were", shown);
    }
    std::sort(names.begin(), names.end());
    check(folder.names() == names, "no passing file is left",
          {{"books (hex)", shownBooks, true}, {"files", joined(folder.names()), true}});
    return 0;
}
