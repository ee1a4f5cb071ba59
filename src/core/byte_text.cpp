#include "core/byte_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "core/character_rule.h"

namespace juanzhi {

namespace {

constexpr auto NotFound = std::string_view::npos;

// 0-based start of the first occurrence of `pattern` (not empty) that begins
// at a character start at or after `from`, itself a character start.
// std::string_view::find does the fast scanning; the walk only confirms that
// a candidate is not the second byte of a pair.
std::size_t findAtCharacterStart(std::string_view text, std::string_view pattern,
                                 std::size_t from) {
    while (true) {
        const std::size_t candidate = text.find(pattern, from);
        if (candidate == NotFound) {
            return NotFound;
        }
        from = walkToCharacterStart(text, from, candidate);
        if (from == candidate) {
            return candidate;
        }
    }
}

std::int32_t toPosition(std::size_t offset) {
    return offset == NotFound ? -1 : static_cast<std::int32_t>(offset + 1);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Full-width forms that readers type for digits, signs and blanks become
// their ASCII forms.
std::string foldFullWidth(std::string_view bytes) {
    std::string folded;
    folded.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = characterLengthAt(bytes, at);
        if (length == 2) {
            const auto lead = static_cast<unsigned char>(bytes[at]);
            const auto trail = static_cast<unsigned char>(bytes[at + 1]);
            if (lead == 0xA1 && trail == 0xA1) {
                folded.push_back(' ');
            } else if (lead == 0xA1 && trail == 0xAB) {
                folded.push_back('~');
            } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
                folded.push_back('*');
            } else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                folded.push_back(static_cast<char>(trail - 0x80));
            } else {
                folded.append(bytes.substr(at, 2));
            }
        } else {
            folded.push_back(bytes[at]);
        }
        at += length;
    }
    return folded;
}

}  // namespace

ByteText::ByteText(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

ByteText ByteText::fromBuffer(std::string&& bytes) {
    ByteText text;
    text.bytes_ = std::move(bytes);
    if (const auto nul = text.bytes_.find('\0'); nul != NotFound) {
        text.bytes_.resize(nul);
    }
    return text;
}

std::int32_t textLength(const ByteText& text) {
    return static_cast<std::int32_t>(text.size());
}

std::int32_t findText(const ByteText& text, const ByteText& pattern) {
    if (pattern.empty()) {
        return text.empty() ? -1 : 1;
    }
    return toPosition(findAtCharacterStart(text.bytes(), pattern.bytes(), 0));
}

std::int32_t findTextReverse(const ByteText& text, const ByteText& pattern) {
    if (pattern.empty()) {
        return text.empty() ? -1 : 1;
    }
    const std::string_view bytes = text.bytes();
    std::size_t last = NotFound;
    std::size_t hit = findAtCharacterStart(bytes, pattern.bytes(), 0);
    while (hit != NotFound) {
        last = hit;
        // On by one character, not past the match: occurrences may overlap.
        hit = findAtCharacterStart(bytes, pattern.bytes(), hit + characterLengthAt(bytes, hit));
    }
    return toPosition(last);
}

ByteText leftText(const ByteText& text, std::int32_t n) {
    if (n <= 0) {
        return {};
    }
    return ByteText(text.bytes().substr(0, static_cast<std::size_t>(n)));
}

ByteText midText(const ByteText& text, std::int32_t start, std::int32_t length) {
    if (start < 1 || start > textLength(text) || length <= 0) {
        return {};
    }
    return ByteText(
        text.bytes().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

std::size_t findBytes(std::string_view text, std::string_view pattern, std::size_t from) {
    return findAtCharacterStart(text, pattern, from);
}

std::string replaceAllBytes(std::string_view text, std::string_view search,
                            std::string_view replacement) {
    if (text.empty() || search.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t hit = findAtCharacterStart(text, search, 0); hit != NotFound;
         hit = findAtCharacterStart(text, search, from)) {
        result.append(text.substr(from, hit - from));
        result.append(replacement);
        from = hit + search.size();
    }
    result.append(text.substr(from));
    return result;
}

ByteText replaceAll(const ByteText& text, const ByteText& search, const ByteText& replacement) {
    return ByteText::fromBuffer(replaceAllBytes(text.bytes(), search.bytes(), replacement.bytes()));
}

ByteText concatParts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (const auto part : parts) {
        total += part.size();
    }
    std::string joined;
    joined.reserve(total);
    for (const auto part : parts) {
        joined.append(part);
    }
    return ByteText::fromBuffer(std::move(joined));
}

int compareText(const ByteText& a, const ByteText& b) {
    // char_traits<char> compares bytes as unsigned char.
    const int order = a.bytes().compare(b.bytes());
    return (order > 0) - (order < 0);
}

ByteText numberToText(std::int32_t value) {
    return ByteText(std::to_string(value));
}

ByteText numberToText(double value) {
    // to_chars rather than printf: the decimal point must not follow the
    // user's locale.
    char digits[64];
    const auto result =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 13);
    return ByteText(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

double textToNumber(const ByteText& text) {
    const std::string folded = foldFullWidth(text.bytes());
    const std::size_t size = folded.size();
    std::size_t at = 0;
    while (at < size && isSpace(folded[at])) {
        ++at;
    }

    bool negative = false;
    if (at < size && (folded[at] == '+' || folded[at] == '-')) {
        negative = folded[at] == '-';
        ++at;
    }

    std::string number;  // sign-less, in the form that from_chars reads
    bool pointSeen = false;
    bool digitSeen = false;
    for (; at < size; ++at) {
        const char c = folded[at];
        if (isDigit(c)) {
            digitSeen = true;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
        } else {
            break;
        }
        number.push_back(c);
    }
    if (!digitSeen) {
        return 0.0;
    }

    bool negativeExponent = false;
    if (at < size &&
        (folded[at] == 'e' || folded[at] == 'E' || folded[at] == 'd' || folded[at] == 'D')) {
        std::size_t exponentAt = at + 1;
        std::string exponent = "e";
        if (exponentAt < size && (folded[exponentAt] == '+' || folded[exponentAt] == '-')) {
            negativeExponent = folded[exponentAt] == '-';
            exponent.push_back(folded[exponentAt]);
            ++exponentAt;
        }
        if (exponentAt < size && isDigit(folded[exponentAt])) {
            while (exponentAt < size && isDigit(folded[exponentAt])) {
                exponent.push_back(folded[exponentAt]);
                ++exponentAt;
            }
            number += exponent;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

}  // namespace juanzhi
