#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
inline std::size_t walkToCharacterStart(std::string_view bytes, std::size_t from,
                                        std::size_t target) {
    // Eight bytes all high are four whole pairs, eight all low are eight
    // characters: either way the walk lands on a character start again. Runs
    // of Chinese text and of ASCII are so crossed 32 or 8 bytes at a step.
    constexpr std::uint64_t HighBits = 0x8080808080808080;
    const auto word = [&bytes](std::size_t at) {
        std::uint64_t value = 0;
        std::memcpy(&value, bytes.data() + at, sizeof value);
        return value;
    };
    const auto uniform = [](std::uint64_t all, std::uint64_t any) {
        return (all & HighBits) == HighBits || (any & HighBits) == 0;
    };
    while (from < target) {
        if (target - from >= 32) {
            const std::uint64_t w0 = word(from), w1 = word(from + 8), w2 = word(from + 16),
                                w3 = word(from + 24);
            if (uniform(w0 & w1 & w2 & w3, w0 | w1 | w2 | w3)) {
                from += 32;
                continue;
            }
        }
        if (target - from >= 8) {
            const std::uint64_t w = word(from);
            if (uniform(w, w)) {
                from += 8;
                continue;
            }
        }
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
