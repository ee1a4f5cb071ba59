#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/code_page.h"

#include <cstdio>
#include <ostream>

namespace juanzhi {

// Test failures show a text as its bytes in hex.
inline void PrintTo(const ByteText& text, std::ostream* out) {
    *out << '"';
    for (const char c : text.bytes()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        *out << hex;
    }
    *out << '"';
}

}  // namespace juanzhi

namespace juanzhi::test {

// Code-page text from a UTF-8 literal, so tests can say 《书名》.
inline ByteText gbk(std::string_view utf8) {
    auto converted = utf8ToCodePage(utf8);
    if (!converted) {
        throw std::invalid_argument("not convertible to the code page");
    }
    return *converted;
}

// The code-page bytes of a UTF-8 literal, for file contents.
inline std::string gbkBytes(std::string_view utf8) {
    return std::string(gbk(utf8).bytes());
}

// Code-page text from raw bytes, for sequences that are no valid GBK.
inline ByteText raw(std::string_view bytes) {
    return ByteText(bytes);
}

}  // namespace juanzhi::test
