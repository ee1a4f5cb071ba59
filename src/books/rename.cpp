#include "books/rename.h"

#include "books/file_name.h"
#include "books/title.h"
#include "core/path.h"
#include "core/text_file.h"

namespace juanzhi {

namespace {

const ByteText LineBreak("\r\n");
const ByteText BookExtension(".txt");

RenameResult renameBook(const ByteText& listedPath) {
    // A line break cannot be part of a path the user chose.
    const ByteText path = replaceAll(listedPath, LineBreak, ByteText());

    const BookTitle title = readBookTitle(path);
    if (title.problem) {
        return {path, title.problem};
    }
    // The folder keeps its separator, so a bare file name stays bare.
    const ByteText folder = leftText(path, findLastSeparator(path));
    const ByteText newPath = concatTexts(folder, title.name, BookExtension);
    const platform::FileError refused = platform::renameNoReplace(path, newPath);
    if (refused != platform::FileError::None) {
        return {path, renameProblem(refused)};
    }
    return {newPath, std::nullopt};
}

}  // namespace

BookTitle readBookTitle(const ByteText& path) {
    platform::FileError why = platform::FileError::None;
    const TextFile file = openFile(path, OpenMode::Read, why);
    if (file == 0) {
        return {{}, readProblem(why)};
    }
    const ByteText firstLine = readLine(file);
    closeFile(file);

    const ByteText title = mendFileName(extractTitle(firstLine, detectTitleStyle(firstLine)));
    if (title.empty()) {
        return {{}, Problem::NoTitle};
    }
    return {title, std::nullopt};
}

std::vector<RenameResult> renameBooks(const std::vector<ByteText>& paths) {
    std::vector<RenameResult> results;
    results.reserve(paths.size());
    for (const ByteText& path : paths) {
        results.push_back(renameBook(path));
    }
    return results;
}

}  // namespace juanzhi
