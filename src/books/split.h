#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// Where a piece's number goes in its file name: "书名_1.txt" or "1_书名.txt".
enum class Numbering { Suffix, Prefix };

// Pieces closer than this to the piece before them join it.
inline constexpr std::int64_t MinimumPieceBytes = 60;

// A chapter heading holds "第" followed by "章" or "节", the first of each in
// the line, their first bytes 1 to 19 bytes apart. The line ends at its line
// break or at its first stop byte. Markers count only where a character
// starts.
bool isChapterHeading(std::string_view line);

// Drops every boundary closer than MinimumPieceBytes to the one kept before
// it. The first and the last boundary (the book's start and end) always stay.
std::vector<std::int64_t> pruneBoundaries(std::vector<std::int64_t> boundaries);

// The path of piece `number` (from 1) in `folder`.
ByteText piecePath(const ByteText& folder, const ByteText& name, std::int64_t number,
                   Numbering numbering);

struct SplitResult {
    std::int64_t pieceCount = 0;  // pieces written: numbers 1 to pieceCount
    std::vector<Failure> failures;
    // How the pieces are named; only their count is kept, so that a book
    // of a million chapters needs no list of a million paths.
    ByteText folder;
    ByteText name;  // mended
    Numbering numbering = Numbering::Suffix;

    // The path of piece `number`.
    ByteText piece(std::int64_t number) const { return piecePath(folder, name, number, numbering); }
};

// Cuts the book at its chapter headings into pieces 1, 2, ... in `folder`,
// named after `name` (mended to be a file name). Joined in order, the pieces
// are the book byte for byte. Each piece is written beside its name and
// takes it only once complete, replacing a file (or a link) of that name
// whole. A book that cannot be read makes no piece, a piece that would be
// the book itself stops the split before anything is written, and the first
// piece that cannot be written stops it there.
SplitResult splitBook(const ByteText& bookPath, const ByteText& name, Numbering numbering,
                      const ByteText& folder);

}  // namespace juanzhi
