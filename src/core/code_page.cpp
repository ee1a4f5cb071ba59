#include "core/code_page.h"

#include "core/character_rule.h"

namespace juanzhi {

namespace {

// Whole when it can be; otherwise character by character, so one bad pair
// spoils only itself.
template <typename Text, typename Convert>
Text shownText(const ByteText& text, Convert convert, const Text& replacement) {
    if (auto whole = convert(text)) {
        return std::move(*whole);
    }
    Text shown;
    const std::string_view bytes = text.bytes();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = characterLengthAt(bytes, at);
        const auto one = convert(ByteText(bytes.substr(at, length)));
        shown += one ? *one : replacement;
        at += length;
    }
    return shown;
}

}  // namespace

std::u16string codePageToUtf16Shown(const ByteText& text) {
    return shownText(text, codePageToUtf16, std::u16string(u"\uFFFD"));
}

std::string codePageToUtf8Shown(const ByteText& text) {
    return shownText(text, codePageToUtf8, std::string("\xEF\xBF\xBD"));
}

}  // namespace juanzhi
