#include "books/split.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "books/file_name.h"
#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/commit_group.h"
#include "core/path.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_file.h"
#include "core/writer_lock.h"

namespace juanzhi {

using platform::FileError;

namespace {

constexpr std::string_view ChapterStart = "\xB5\xDA";  // 第
constexpr std::string_view ChapterEnd = "\xD5\xC2";    // 章
constexpr std::string_view SectionEnd = "\xBD\xDA";    // 节
constexpr std::size_t MarkerWindow = 19;

constexpr std::size_t NotFound = std::string_view::npos;

bool withinWindow(std::size_t start, std::size_t end) {
    return start != NotFound && end != NotFound && end > start && end - start <= MarkerWindow;
}

// What is known of a line so far: where its first "第", "章" and "节" stand
// (counted from the line's start), found part by part, so that a line of any
// length is looked at without being held whole.
class HeadingMarks {
  public:
    // The next part of the line; it starts where a character starts,
    // `offset` bytes after the line's start.
    void add(std::string_view part, std::size_t offset) {
        if (ended_) {
            return;
        }
        const std::size_t length = textLengthBeforeStop(part);
        const std::string_view text = part.substr(0, length);
        find(text, offset, ChapterStart, start_);
        find(text, offset, ChapterEnd, chapter_);
        find(text, offset, SectionEnd, section_);
        ended_ = length < part.size();
    }

    bool isHeading() const {
        return withinWindow(start_, chapter_) || withinWindow(start_, section_);
    }

  private:
    static void find(std::string_view text, std::size_t offset, std::string_view marker,
                     std::size_t& first) {
        if (first == NotFound) {
            const std::size_t at = findBytes(text, marker);
            first = at == NotFound ? NotFound : offset + at;
        }
    }

    std::size_t start_ = NotFound;
    std::size_t chapter_ = NotFound;
    std::size_t section_ = NotFound;
    bool ended_ = false;  // a stop byte ended the line's text
};

// The boundaries of the pieces: 0, the offset of every heading line at
// least MinimumPieceBytes after the one kept before it, the book's size (as
// pruneBoundaries keeps them, pruned as they are found so that only the
// kept ones are held). Nothing when the book cannot be read.
// Memory stays within two blocks: of a line longer than a block, what has
// been looked through is kept only as its marks.
std::optional<std::vector<std::int64_t>> scanBoundaries(const platform::OsFile& book) {
    std::vector<std::int64_t> boundaries{0};
    const auto heading = [&boundaries](std::int64_t offset) {
        if (offset - boundaries.back() >= MinimumPieceBytes) {
            boundaries.push_back(offset);
        }
    };
    std::string buffer;
    std::int64_t bufferOffset = 0;  // where buffer[0] is in the book
    std::size_t lineStart = 0;
    std::size_t at = 0;                    // where the search for the next line break goes on
    std::size_t folded = 0;                // bytes of the current line already looked through
    std::optional<HeadingMarks> longLine;  // the marks of those bytes
    const auto lineIsHeading = [&](std::string_view rest) {
        if (!longLine) {
            return isChapterHeading(rest);
        }
        longLine->add(rest, folded);
        return longLine->isHeading();
    };
    const auto lineOffset = [&] {
        return bufferOffset + static_cast<std::int64_t>(lineStart) -
               static_cast<std::int64_t>(folded);
    };
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
            if (lineIsHeading(bytes.substr(lineStart, lineEnd - lineStart))) {
                heading(lineOffset());
            }
            lineStart = lineEnd + 1;
            folded = 0;
            longLine.reset();
        }
        // What follows the last line break has been looked through.
        at = bytes.size();
        if (!atEnd && bytes.size() - lineStart > BlockBytes) {
            // Looked through up to its last character start; a lead byte
            // at the end still waits for its second byte.
            const std::size_t end = walkToCharacterStart(bytes, lineStart, bytes.size() - 1);
            if (!longLine) {
                longLine.emplace();
            }
            longLine->add(bytes.substr(lineStart, end - lineStart), folded);
            folded += end - lineStart;
            bufferOffset += static_cast<std::int64_t>(end);
            buffer.erase(0, end);
            at = buffer.size();
            lineStart = 0;
        }
    }
    // The last line has no line break.
    if (lineStart < buffer.size() || longLine) {
        if (lineIsHeading(std::string_view(buffer).substr(lineStart))) {
            heading(lineOffset());
        }
    }
    boundaries.push_back(bufferOffset + static_cast<std::int64_t>(buffer.size()));
    return boundaries;
}

enum class Copy { Done, ReadFailed, WriteFailed };

// Appends the book's bytes [from, to) to `piece`.
Copy copyRange(const platform::OsFile& book, std::int64_t from, std::int64_t to, PendingFile& piece,
               std::string& block, FileError& writeError) {
    while (from < to) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(to - from, static_cast<std::int64_t>(block.size())));
        const auto got = book.readAt(from, block.data(), wanted);
        if (!got || *got == 0) {
            return Copy::ReadFailed;  // the book shrank or broke since the scan
        }
        writeError = piece.append(std::string_view(block.data(), *got));
        if (writeError != FileError::None) {
            return Copy::WriteFailed;
        }
        from += static_cast<std::int64_t>(*got);
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

namespace {

SplitResult splitWholeBook(const ByteText& bookPath, const ByteText& name, Numbering numbering,
                           const ByteText& folder) {
    SplitResult result;
    const ByteText pieceName = mendFileName(name);
    result.folder = folder;
    result.name = pieceName;
    result.numbering = numbering;
    if (pieceName.empty()) {
        result.failures.push_back({bookPath, Problem::BadName});
        return result;
    }
    const auto opened =
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
    const std::vector<std::int64_t>& boundaries = *scanned;
    const auto pieceCount = static_cast<std::int64_t>(boundaries.size()) - 1;

    // A piece in the book's place would leave the book cut to that piece.
    const auto bookIdentity = book.identity();
    for (std::int64_t number = 1; number <= pieceCount; ++number) {
        const auto pieceIdentity =
            platform::fileIdentity(piecePath(folder, pieceName, number, numbering));
        if (pieceIdentity && pieceIdentity == bookIdentity) {
            result.failures.push_back({bookPath, Problem::PieceWouldBeBook});
            return result;
        }
    }

    PendingFile::clearAbandonedBeside(piecePath(folder, pieceName, 1, numbering));
    // Which pieces are in place: the count reported is of those from 1 on
    // without a gap.
    std::vector<bool> inPlace(static_cast<std::size_t>(pieceCount) + 1, false);
    const auto failed = [&result](const ByteText& path, Problem problem) {
        result.failures.push_back({path, problem});
    };
    // A piece that replaces a file already there (an earlier split's piece,
    // or any file of that name) waits for the disk with its group and holds
    // that file's lock, since that file may be a book; a new piece can be
    // made again from the book and is not waited for.
    CommitGroup replacing([&](std::size_t number, FileError committed) {
        if (committed == FileError::None) {
            inPlace[number] = true;
        } else {
            failed(result.piece(static_cast<std::int64_t>(number)), writeProblem(committed));
        }
    });
    std::string block(BlockBytes, '\0');
    for (std::int64_t number = 1; number <= pieceCount && result.failures.empty(); ++number) {
        const ByteText path = piecePath(folder, pieceName, number, numbering);
        // Written beside its name and moved there once whole; a link of
        // that name is replaced, never written through.
        FileError why = FileError::None;
        auto piece = PendingFile::create(path, why);
        if (!piece) {
            failed(path, writeProblem(why));  // the pieces after it would fail alike
            break;
        }
        const auto index = static_cast<std::size_t>(number - 1);
        const Copy copied =
            copyRange(book, boundaries[index], boundaries[index + 1], *piece, block, why);
        if (copied != Copy::Done) {
            failed(copied == Copy::ReadFailed ? bookPath : path,
                   copied == Copy::ReadFailed ? Problem::CannotRead : writeProblem(why));
            break;
        }
        auto older = openForWriting(path, platform::Access::WriteOnly);
        if (older.file) {
            replacing.add(static_cast<std::size_t>(number), std::move(*piece),
                          std::move(*older.file));
            continue;
        }
        why = older.error == FileError::NotFound ? piece->commit(PendingFile::Flush::Skip)
                                                 : older.error;
        if (why != FileError::None) {
            failed(path, writeProblem(why));
            break;
        }
        inPlace[static_cast<std::size_t>(number)] = true;
    }
    replacing.commit();
    while (result.pieceCount < pieceCount &&
           inPlace[static_cast<std::size_t>(result.pieceCount + 1)]) {
        ++result.pieceCount;
    }
    return result;
}

}  // namespace

SplitResult splitBook(const ByteText& bookPath, const ByteText& name, Numbering numbering,
                      const ByteText& folder) {
    try {
        return splitWholeBook(bookPath, name, numbering, folder);
    } catch (const std::bad_alloc&) {
        SplitResult result;
        result.failures.push_back({bookPath, Problem::OutOfMemory});
        return result;
    }
}

}  // namespace juanzhi
