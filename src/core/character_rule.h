#pragma once

#include <cstddef>
#include <string_view>

namespace juanzhi {

// The code page's character rule: a byte 0x80-0xFF that has another byte
// after it starts a two-byte character, whatever that next byte is; every
// other byte is a character of its own. Character starts are only ever found
// by walking from the first byte.

constexpr bool isHighByte(unsigned char byte) {
    return byte >= 0x80;
}

// Length (1 or 2) of the character that starts at `at` (0-based, < size).
constexpr std::size_t characterLengthAt(std::string_view bytes, std::size_t at) {
    return isHighByte(static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size() ? 2 : 1;
}

// Walks character starts from `from` (itself a character start) and returns
// the first character start at or after `target`.
constexpr std::size_t walkToCharacterStart(std::string_view bytes, std::size_t from,
                                           std::size_t target) {
    while (from < target) {
        from += characterLengthAt(bytes, from);
    }
    return from;
}

// Whether `at` starts a character, for `from` <= `at` a character start. The
// byte after a single-byte character or after a pair always starts one, so
// only the run of high bytes just in front of `at` counts: an even run ends
// in whole pairs, an odd one leaves a lead byte wanting `at`.
constexpr bool isCharacterStart(std::string_view bytes, std::size_t from, std::size_t at) {
    std::size_t run = 0;
    while (at - run > from && isHighByte(static_cast<unsigned char>(bytes[at - run - 1]))) {
        ++run;
    }
    return run % 2 == 0;
}

}  // namespace juanzhi
