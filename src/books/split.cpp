#include "books/split.h"

#include <algorithm>
#include <optional>
#include <string>

#include "books/file_name.h"
#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/path.h"
#include "core/platform.h"
#include "core/text_file.h"

namespace juanzhi {

namespace {


constexpr std::string_view ChapterStart = "\xB5\xDA";  // 第
constexpr std::string_view ChapterEnd = "\xD5\xC2";    // 章
constexpr std::string_view SectionEnd = "\xBD\xDA";    // 节
constexpr std::size_t MarkerWindow = 19;

constexpr std::size_t NotFound = std::string_view::npos;

bool withinWindow(std::size_t start, std::size_t end) {
    return start != NotFound && end != NotFound && end > start && end - start <= MarkerWindow;
}

// The boundaries of the pieces before pruning: 0, the offset of every
// heading line, the book's size. Nothing when the book cannot be read.
std::optional<std::vector<std::int64_t>> scanBoundaries(const platform::OsFile& book) {
    std::vector<std::int64_t> boundaries{0};
    std::string buffer;
    std::int64_t bufferOffset = 0;  // where buffer[0] is in the book
    std::size_t lineStart = 0;
    std::size_t at = 0;  // where the search for the next line break goes on
    bool atEnd = false;
    while (!atEnd) {
        buffer.erase(0, lineStart);
        bufferOffset += static_cast<std::int64_t>(lineStart);
        at -= lineStart;
        lineStart = 0;

        const std::size_t kept = buffer.size();
        buffer.resize(kept + BlockBytes);
        const auto got = book.readAt(bufferOffset + static_cast<std::int64_t>(kept),
                                     buffer.data() + kept, BlockBytes);
        if (!got) {
            return std::nullopt;
        }
        buffer.resize(kept + *got);
        atEnd = *got == 0;

        // A line break is a byte of its own unless it is the second byte of
        // a pair; only the run of high bytes in front of it tells.
        const std::string_view bytes = buffer;
        for (std::size_t lineEnd = bytes.find('\n', at); lineEnd != NotFound;
             lineEnd = bytes.find('\n', lineEnd + 1)) {
            if (!isCharacterStart(bytes, lineStart, lineEnd)) {
                continue;
            }
            if (isChapterHeading(bytes.substr(lineStart, lineEnd - lineStart))) {
                boundaries.push_back(bufferOffset + static_cast<std::int64_t>(lineStart));
            }
            lineStart = lineEnd + 1;
        }
        // What follows the last line break has been looked through.
        at = bytes.size();
    }
    // The last line has no line break.
    if (lineStart < buffer.size() && isChapterHeading(std::string_view(buffer).substr(lineStart))) {
        boundaries.push_back(bufferOffset + static_cast<std::int64_t>(lineStart));
    }
    boundaries.push_back(bufferOffset + static_cast<std::int64_t>(buffer.size()));
    return boundaries;
}

enum class Copy { Done, ReadFailed, WriteFailed };

// Copies the book's bytes [from, to) to the start of `piece`.
Copy copyRange(const platform::OsFile& book, std::int64_t from, std::int64_t to,
               const platform::OsFile& piece, std::string& block) {
    std::int64_t written = 0;
    while (from + written < to) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(to - from - written, static_cast<std::int64_t>(block.size())));
        const auto got = book.readAt(from + written, block.data(), wanted);
        if (!got || *got == 0) {
            return Copy::ReadFailed;  // the book shrank or broke since the scan
        }
        if (piece.writeAt(written, std::string_view(block.data(), *got)) !=
            platform::FileError::None) {
            return Copy::WriteFailed;
        }
        written += static_cast<std::int64_t>(*got);
    }
    return Copy::Done;
}

}  // namespace

bool isChapterHeading(std::string_view line) {
    const std::string_view text = line.substr(0, textLengthBeforeStop(line));
    const std::size_t chapterStart = findBytes(text, ChapterStart);
    if (chapterStart == NotFound) {
        return false;  // most lines: the rest need not be looked for
    }
    return withinWindow(chapterStart, findBytes(text, ChapterEnd)) ||
           withinWindow(chapterStart, findBytes(text, SectionEnd));
}

std::vector<std::int64_t> pruneBoundaries(std::vector<std::int64_t> boundaries) {
    if (boundaries.size() <= 2) {
        return boundaries;
    }
    std::vector<std::int64_t> kept{boundaries.front()};
    for (std::size_t i = 1; i + 1 < boundaries.size(); ++i) {
        if (boundaries[i] - kept.back() >= MinimumPieceBytes) {
            kept.push_back(boundaries[i]);
        }
    }
    kept.push_back(boundaries.back());
    return kept;
}

ByteText piecePath(const ByteText& folder, const ByteText& name, std::int64_t number,
                   Numbering numbering) {
    const ByteText digits = numberToText(static_cast<std::int32_t>(number));
    const ByteText fileName = numbering == Numbering::Prefix
                                  ? concatTexts(digits, ByteText("_"), name, ByteText(".txt"))
                                  : concatTexts(name, ByteText("_"), digits, ByteText(".txt"));
    // Without a folder the pieces go to the working folder, never to the root.
    return folder.empty() ? fileName : joinPath(folder, fileName);
}

SplitResult splitBook(const ByteText& bookPath, const ByteText& name, Numbering numbering,
                      const ByteText& folder) {
    SplitResult result;
    const ByteText pieceName = mendFileName(name);
    if (pieceName.empty()) {
        result.failures.push_back({bookPath, Problem::BadName});
        return result;
    }
    auto opened =
        platform::openFile(bookPath, platform::Access::ReadOnly, platform::Creation::MustExist);
    if (!opened.file) {
        result.failures.push_back({bookPath, readProblem(opened.error)});
        return result;
    }
    const platform::OsFile& book = *opened.file;
    const auto scanned = scanBoundaries(book);
    if (!scanned) {
        result.failures.push_back({bookPath, Problem::CannotRead});
        return result;
    }
    const std::vector<std::int64_t> boundaries = pruneBoundaries(*scanned);
    const auto pieceCount = static_cast<std::int64_t>(boundaries.size()) - 1;

    // Emptying a piece that is the book itself would destroy what is not
    // yet copied.
    const auto bookIdentity = book.identity();
    for (std::int64_t number = 1; number <= pieceCount; ++number) {
        const auto pieceIdentity =
            platform::fileIdentity(piecePath(folder, pieceName, number, numbering));
        if (pieceIdentity && pieceIdentity == bookIdentity) {
            result.failures.push_back({bookPath, Problem::PieceWouldBeBook});
            return result;
        }
    }

    std::string block(BlockBytes, '\0');
    for (std::int64_t number = 1; number <= pieceCount; ++number) {
        const ByteText path = piecePath(folder, pieceName, number, numbering);
        const auto piece = platform::openFile(path, platform::Access::WriteOnly,
                                              platform::Creation::CreateOrTruncate);
        if (!piece.file) {
            result.failures.push_back({path, writeProblem(piece.error)});
            continue;
        }
        const auto index = static_cast<std::size_t>(number - 1);
        switch (copyRange(book, boundaries[index], boundaries[index + 1], *piece.file, block)) {
            case Copy::Done:
                result.pieces.push_back(path);
                break;
            case Copy::WriteFailed:
                result.failures.push_back({path, Problem::CannotWrite});
                break;
            case Copy::ReadFailed:
                result.failures.push_back({bookPath, Problem::CannotRead});
                return result;
        }
    }
    return result;
}

}  // namespace juanzhi
