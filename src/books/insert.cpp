#include "books/insert.h"

#include "core/text_file.h"

namespace juanzhi {

using platform::FileError;

namespace {

const ByteText LineBreak("\r\n");

// Closes the book however its insertions end.
class OpenBook {
  public:
    OpenBook(const ByteText& path, FileError& why)
        : handle_(openFile(path, OpenMode::ReadWrite, why)) {}
    ~OpenBook() { closeFile(handle_); }
    OpenBook(const OpenBook&) = delete;
    OpenBook& operator=(const OpenBook&) = delete;

    TextFile operator*() const { return handle_; }

  private:
    TextFile handle_;
};

std::optional<Problem> insertIntoBook(const ByteText& path, InsertPlaces places,
                                      const ByteText& content) {
    FileError why = FileError::None;
    const OpenBook book(path, why);
    if (*book == 0) {
        return writeProblem(why);
    }
    if (places.secondLine) {
        readLine(*book);
        if (!insertLine(*book, content, why)) {
            return writeProblem(why);
        }
    }
    if (places.endOfFile) {
        if (!seekToEnd(*book) || !insertLine(*book, concatTexts(LineBreak, content), why)) {
            return writeProblem(why);
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<Failure> insertIntoBooks(const std::vector<ByteText>& paths, InsertPlaces places,
                                     const ByteText& content) {
    std::vector<Failure> failures;
    for (const ByteText& path : paths) {
        if (const auto problem = insertIntoBook(path, places, content)) {
            failures.push_back({path, *problem});
        }
    }
    return failures;
}

}  // namespace juanzhi
