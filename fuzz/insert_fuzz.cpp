// insertIntoBooks on one book. A plain-text book (nothing but 0x1A after
// its stop) gets the content and CR LF right after its first LF (after its
// last byte when it has none) and/or CR LF, the content and CR LF after its
// last byte, in that order; any other book is reported and stays as it was.
// No passing file is left behind.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "books/insert.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

std::string naiveInsert(std::string book, juanzhi::InsertPlaces places, std::string_view content) {
    const std::string line = std::string(content) + "\r\n";
    if (places.secondLine) {
        // After the first line break of the text; without one, where the
        // text ends (in front of a run of end-of-text marks).
        const std::size_t textEnd = naiveTextLength(book);
        const std::size_t lineBreak = naiveFind(book.substr(0, textEnd), "\n");
        book.insert(lineBreak == std::string::npos ? textEnd : lineBreak + 1, line);
    }
    if (places.endOfFile) {
        book += "\r\n" + line;
    }
    return book;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto flags = input.ConsumeIntegral<std::uint8_t>();
    const juanzhi::InsertPlaces places{(flags & 1) != 0, (flags & 2) != 0};
    const juanzhi::ByteText content(input.ConsumeRandomLengthString(16));
    const std::string book = input.ConsumeRemainingBytesAsString();

    const ScratchFolder folder;
    const juanzhi::ByteText path = folder.write("book.txt", book);
    const std::vector<juanzhi::Failure> failures =
        juanzhi::insertIntoBooks({path}, places, content);
    const std::string after = folder.read("book.txt");

    const bool plain = isPlainText(book);
    const bool changes = places.secondLine || places.endOfFile;
    const std::string expected = plain ? naiveInsert(book, places, content.bytes()) : book;
    const std::string placesText =
        std::string(places.secondLine ? "second line " : "") + (places.endOfFile ? "end" : "");
    const auto shown = {Shown{"book", book}, Shown{"content", content.bytes()},
                        Shown{"places", placesText, true}, Shown{"expected", expected},
                        Shown{"file after", after}};
    check(after == expected,
          plain ? "a plain book gets the content at the places asked for"
                : "a book that is not plain text stays as it was",
          shown);
    if (changes) {
        check(failures.empty() == plain, "a book is reported exactly when it is not plain text",
              shown);
    }
    const std::string names = joined(folder.names());
    check(names == "book.txt ", "no passing file is left",
          {{"book", book}, {"files", names, true}});
    return 0;
}
