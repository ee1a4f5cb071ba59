#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/byte_text.h"

namespace juanzhi {

// Conversions between the books' code page and Unicode. They are used only
// where text crosses a boundary: paths handed to the OS, texts shown or typed
// in the UI. The code page is taken as GB18030, the superset of GBK that
// reaches all of Unicode, so no file name is lost on the way.
//
// Each gives nothing (std::nullopt) when its input cannot be converted whole
// (an invalid or cut-off sequence, a NUL): a caller never gets a different
// text or path in place of the one it passed.

std::optional<std::string> codePageToUtf8(const ByteText& text);
std::optional<ByteText> utf8ToCodePage(std::string_view utf8);

std::optional<std::u16string> codePageToUtf16(const ByteText& text);
std::optional<ByteText> utf16ToCodePage(std::u16string_view utf16);

// For showing a text, never for handing it on as a path: the Unicode form in
// which each byte sequence that forms no character of the code page becomes
// U+FFFD, so a damaged name still shows the rest.
std::u16string codePageToUtf16Shown(const ByteText& text);
std::string codePageToUtf8Shown(const ByteText& text);

}  // namespace juanzhi
