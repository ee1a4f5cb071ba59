#include "books/rename.h"

#include <algorithm>
#include <set>
#include <string>

#include "books/file_name.h"
#include "books/title.h"
#include "core/character_rule.h"
#include "core/commit_group.h"
#include "core/path.h"
#include "core/platform.h"
#include "core/text_file.h"
#include "core/writer_lock.h"

namespace juanzhi {

using platform::FileError;

namespace {

const ByteText BookExtension(".txt");

// A file name holds at most 255 bytes, so a title lies well within the first
// bytes of its line: no more are read, however long the line.
constexpr std::size_t NameBytes = 255;
constexpr std::size_t TitleLineBytes = 4096;

// The start of the book's first line, up to its line break, its first stop
// byte, or TitleLineBytes; one CR at its end is dropped.
std::optional<ByteText> firstLineStart(const platform::OsFile& book) {
    std::string bytes(TitleLineBytes, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = book.readAt(static_cast<std::int64_t>(filled), bytes.data() + filled,
                                     bytes.size() - filled);
        if (!got) {
            return std::nullopt;
        }
        if (*got == 0) {
            break;
        }
        filled += *got;
    }
    bytes.resize(filled);
    std::size_t length = textLengthBeforeStop(bytes);
    const std::size_t lineBreak = findBytes(std::string_view(bytes).substr(0, length), "\n");
    if (lineBreak != std::string_view::npos) {
        length = lineBreak;
    } else if (length == TitleLineBytes && !isCharacterStart(bytes, 0, length)) {
        --length;  // a lead byte whose second byte was not read
    }
    bytes.resize(length);
    if (!bytes.empty() && bytes.back() == '\r') {
        bytes.pop_back();
    }
    return ByteText::fromBuffer(std::move(bytes));
}

BookTitle titleOf(const platform::OsFile& book) {
    const auto firstLine = firstLineStart(book);
    if (!firstLine) {
        return {{}, Problem::CannotRead};
    }
    const ByteText title = mendFileName(extractTitle(*firstLine, detectTitleStyle(*firstLine)));
    if (title.empty()) {
        return {{}, Problem::NoTitle};
    }
    if (title.size() + BookExtension.size() > NameBytes) {
        return {{}, Problem::BadName};
    }
    return {title, std::nullopt};
}

RenameResult renameBook(const ByteText& path) {
    // Held through the rename, so that no other run changes the book
    // between the reading of its title and the rename.
    FileError unresolved = FileError::None;
    const auto target = platform::linkTarget(path, unresolved);
    if (!target) {
        return {path, readProblem(unresolved)};
    }
    const auto opened = openForWriting(*target, platform::Access::ReadOnly);
    if (!opened.file) {
        return {path, readProblem(opened.error)};
    }
    const BookTitle title = titleOf(*opened.file);
    if (title.problem) {
        return {path, title.problem};
    }
    // The folder keeps its separator, so a bare file name stays bare.
    const ByteText folder = leftText(path, findLastSeparator(path));
    const ByteText newPath = concatTexts(folder, title.name, BookExtension);
    const FileError refused = platform::renameNoReplace(path, newPath);
    if (refused != FileError::None) {
        return {path, renameProblem(refused)};
    }
    return {newPath, std::nullopt};
}

}  // namespace

ByteText readTitleLine(const ByteText& path) {
    const auto opened =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    return opened.file ? firstLineStart(*opened.file).value_or(ByteText()) : ByteText();
}

BookTitle readBookTitle(const ByteText& path) {
    const auto opened =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    if (!opened.file) {
        return {{}, readProblem(opened.error)};
    }
    return titleOf(*opened.file);
}

std::vector<RenameResult> renameBooks(const std::vector<ByteText>& paths,
                                      const BookRenamed& onRenamed) {
    // As many renames as a group of written books: one sync of each folder
    // for them all.
    constexpr std::size_t GroupSize = CommitGroup::Capacity;
    std::vector<RenameResult> results;
    results.reserve(paths.size());
    std::set<std::string> folders;  // where the group's renames went
    std::size_t reported = 0;
    const auto reportGroup = [&] {
        for (const std::string& folder : folders) {
            platform::syncFolder(ByteText(folder));
        }
        folders.clear();
        for (; reported < results.size(); ++reported) {
            if (onRenamed) {
                onRenamed(paths[reported], results[reported]);
            }
        }
    };
    for (const ByteText& path : paths) {
        results.push_back(renameBook(path));
        if (!results.back().problem) {
            folders.insert(std::string(containingFolder(results.back().path).bytes()));
        }
        if (results.size() - reported >= GroupSize) {
            reportGroup();
        }
    }
    reportGroup();
    return results;
}

}  // namespace juanzhi
