#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace juanzhi {

// A book's bytes read block by block, each block split into what belongs to
// the book's text and what follows the text's end. The text ends at its
// first stop byte (see textLengthBeforeStop); in a plain text only a run of
// 0x1A, the old end-of-text mark, may follow. A lead byte at the end of a
// block waits for the next block, so every text part starts where a
// character starts and never ends in a lead whose second byte is unseen.
class TextBlocks {
  public:
    // `buffer` holds the blocks; one buffer may serve book after book.
    TextBlocks(const platform::OsFile& book, std::string& buffer);

    struct Block {
        std::string_view text;   // bytes of the text
        std::string_view after;  // bytes after the text's end
        bool last = false;       // nothing follows
    };

    // The next block, valid until the next call; nothing when the book
    // cannot be read.
    std::optional<Block> next();

  private:
    const platform::OsFile& book_;
    std::string& buffer_;
    std::int64_t offset_ = 0;  // where the next block is read
    bool leadWaits_ = false;   // the last block's lead byte goes in front of the next
    char lead_ = 0;
    bool textEnded_ = false;
};

// Whether `bytes` holds nothing but end-of-text marks (0x1A).
bool onlyEndMarks(std::string_view bytes);

}  // namespace juanzhi
