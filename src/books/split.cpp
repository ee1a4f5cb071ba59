#include "books/split.h"

#include <algorithm>
#include <optional>
#include <string>

#include "books/file_name.h"
#include "core/character_rule.h"
#include "core/path.h"
#include "core/platform.h"
#include "core/text_file.h"

namespace juanzhi {

namespace {

// The book is read and copied in blocks of this size; only an unfinished
// line is carried from one block to the next.
constexpr std::size_t BlockBytes = std::size_t{1} << 20;

constexpr std::string_view ChapterStart = "\xB5\xDA";  // 第
constexpr std::string_view ChapterEnd = "\xD5\xC2";    // 章
constexpr std::string_view SectionEnd = "\xBD\xDA";    // 节
constexpr std::int64_t MarkerWindow = 19;

bool withinWindow(std::int64_t start, std::int64_t end) {
    return start >= 0 && end >= 0 && end - start >= 1 && end - start <= MarkerWindow;
}

// The boundaries of the pieces before pruning: 0, the offset of every
// heading line, the book's size. Nothing when the book cannot be read.
std::optional<std::vector<std::int64_t>> scanBoundaries(const platform::OsFile& book) {
    std::vector<std::int64_t> boundaries{0};
    std::string buffer;
    std::int64_t bufferOffset = 0;  // where buffer[0] is in the book
    std::size_t lineStart = 0;
    std::size_t at = 0;  // the next character start to look at
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

        const std::string_view bytes = buffer;
        while (at < bytes.size()) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            if (isHighByte(byte)) {
                if (at + 1 == bytes.size() && !atEnd) {
                    break;  // its second byte comes with the next block
                }
                at += characterLengthAt(bytes, at);
                continue;
            }
            ++at;
            if (byte == '\n') {
                if (isChapterHeading(bytes.substr(lineStart, at - 1 - lineStart))) {
                    boundaries.push_back(bufferOffset + static_cast<std::int64_t>(lineStart));
                }
                lineStart = at;
            }
        }
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
    std::int64_t chapterStart = -1;
    std::int64_t chapterEnd = -1;
    std::int64_t sectionEnd = -1;
    for (std::size_t at = 0; at < line.size();) {
        const auto byte = static_cast<unsigned char>(line[at]);
        if (isStopByte(byte)) {
            break;
        }
        const std::size_t length = characterLengthAt(line, at);
        if (length == 2) {
            const std::string_view character = line.substr(at, 2);
            if (character[1] == '\0') {
                break;  // a NUL stops a line even behind a lead byte
            }
            const auto position = static_cast<std::int64_t>(at);
            if (chapterStart < 0 && character == ChapterStart) {
                chapterStart = position;
            } else if (chapterEnd < 0 && character == ChapterEnd) {
                chapterEnd = position;
            } else if (sectionEnd < 0 && character == SectionEnd) {
                sectionEnd = position;
            }
        }
        at += length;
    }
    return withinWindow(chapterStart, chapterEnd) || withinWindow(chapterStart, sectionEnd);
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
