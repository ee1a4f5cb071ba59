#include "core/text_blocks.h"

#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/text_file.h"

namespace juanzhi {

TextBlocks::TextBlocks(const platform::OsFile& book, std::string& buffer)
    : book_(book), buffer_(buffer) {}

std::optional<TextBlocks::Block> TextBlocks::next() {
    if (buffer_.size() < BlockBytes + 1) {
        buffer_.resize(BlockBytes + 1);
    }
    const std::size_t carried = leadWaits_ ? 1 : 0;
    if (leadWaits_) {
        buffer_[0] = lead_;
    }
    const auto got = book_.readAt(offset_, buffer_.data() + carried, BlockBytes);
    if (!got) {
        return std::nullopt;
    }
    offset_ += static_cast<std::int64_t>(*got);
    const bool atEnd = *got == 0;
    const std::string_view bytes(buffer_.data(), carried + *got);
    leadWaits_ = false;
    if (textEnded_) {
        return Block{{}, bytes, atEnd};
    }
    // A NUL as the second byte of that lead would end the text in front of it.
    const bool leadWaits = !atEnd && !isCharacterStart(bytes, 0, bytes.size());
    const std::string_view whole = bytes.substr(0, bytes.size() - (leadWaits ? 1 : 0));
    const std::size_t text = textLengthBeforeStop(whole);
    if (text < whole.size()) {
        textEnded_ = true;
        return Block{whole.substr(0, text), bytes.substr(text), atEnd};
    }
    if (leadWaits) {
        leadWaits_ = true;
        lead_ = bytes.back();
    }
    return Block{whole, {}, atEnd};
}

bool onlyEndMarks(std::string_view bytes) {
    return bytes.find_first_not_of(static_cast<char>(StopByteSub)) == std::string_view::npos;
}

}  // namespace juanzhi
