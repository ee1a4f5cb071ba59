#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace juanzhi {

// A text in the books' code page (936, GBK): what books, titles and paths are
// made of inside the program. It never holds a NUL byte: bytes from outside
// end before their first NUL. It does not convert from or to std::string on
// its own, so UTF-8 can only become a ByteText through the code-page module or
// through a visible construction from bytes.
class ByteText {
  public:
    ByteText() = default;
    // Takes the bytes in front of the first NUL.
    explicit ByteText(std::string_view bytes);
    // Same, without copying a large buffer.
    static ByteText fromBuffer(std::string&& bytes);

    std::string_view bytes() const noexcept { return bytes_; }
    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    unsigned char byteAt(std::size_t index) const {
        return static_cast<unsigned char>(bytes_[index]);
    }

    friend bool operator==(const ByteText&, const ByteText&) = default;

  private:
    std::string bytes_;
};

// Positions are 1-based byte positions; -1 means "not found". Searches walk
// by the character rule, so a pattern is found only where a character starts;
// cuts work by bytes.

std::int32_t textLength(const ByteText& text);

// First occurrence of `pattern`; an empty pattern gives 1 in a non-empty text
// and -1 in the empty text.
std::int32_t findText(const ByteText& text, const ByteText& pattern);

// Last occurrence of `pattern` (occurrences may overlap); empty pattern as
// findText.
std::int32_t findTextReverse(const ByteText& text, const ByteText& pattern);

// The first n bytes; the empty text for n <= 0, the whole text when n is at
// least its length.
ByteText leftText(const ByteText& text, std::int32_t n);

// `length` bytes from position `start`, cut at the end of the text; the empty
// text when start < 1, start > the length or length <= 0.
ByteText midText(const ByteText& text, std::int32_t start, std::int32_t length);

// Every occurrence of `search` replaced by `replacement`, left to right in
// one pass, without overlapping and without searching the replacements again.
// An empty search text leaves the text unchanged.
ByteText replaceAll(const ByteText& text, const ByteText& search, const ByteText& replacement);

// The same over raw bytes, which may hold NUL: for whole files.
std::string replaceAllBytes(std::string_view text, std::string_view search,
                            std::string_view replacement);

// 0-based start of the first occurrence of `pattern` (not empty) at or after
// `from` (itself a character start) that starts a character;
// std::string_view::npos when there is none. Raw bytes, as replaceAllBytes.
std::size_t findBytes(std::string_view text, std::string_view pattern, std::size_t from = 0);

ByteText concatParts(std::initializer_list<std::string_view> parts);

// The texts joined end to end.
template <std::same_as<ByteText>... Rest>
ByteText concatTexts(const ByteText& first, const Rest&... rest) {
    return concatParts({first.bytes(), rest.bytes()...});
}

// -1, 0 or 1, comparing bytes as unsigned values; a proper prefix is smaller.
int compareText(const ByteText& a, const ByteText& b);

// "%d".
ByteText numberToText(std::int32_t value);
// "%.13g": 1.0 gives "1", 2.5 gives "2.5".
ByteText numberToText(double value);

// The decimal number at the start of the text after full-width forms are
// folded to ASCII and leading white space skipped; 0 when there is none.
double textToNumber(const ByteText& text);

}  // namespace juanzhi
