// The code-page conversions through the C library's iconv.
#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/code_page.h"

namespace juanzhi {

namespace {

enum class Direction { Utf8ToCodePage, CodePageToUtf8, Utf16ToCodePage, CodePageToUtf16 };

constexpr const char* CodePage = "GB18030";
constexpr const char* Utf8 = "UTF-8";
// char16_t units in the host's byte order.
constexpr const char* Utf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (isOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The converted bytes, or nothing when any input byte cannot be
    // converted: iconv stops there with EILSEQ or, for a sequence cut off at
    // the end, EINVAL.
    std::optional<std::string> convert(std::string_view input) {
        if (!isOpen()) {
            return std::nullopt;
        }
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state

        std::string output(input.size() * 2 + 16, '\0');
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t written = 0;
        while (true) {
            char* out = output.data() + written;
            std::size_t outLeft = output.size() - written;
            const std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            written = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno != E2BIG) {
                return std::nullopt;
            }
            output.resize(output.size() * 2);
        }
        output.resize(written);
        return output;
    }

  private:
    bool isOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t handle_;
};

// Opened once per thread and direction, on first use.
std::optional<std::string> convert(Direction direction, std::string_view input) {
    thread_local std::array<Converter, 4> converters{
        Converter(CodePage, Utf8), Converter(Utf8, CodePage), Converter(CodePage, Utf16),
        Converter(Utf16, CodePage)};
    return converters[static_cast<std::size_t>(direction)].convert(input);
}

}  // namespace

std::optional<std::string> codePageToUtf8(const ByteText& text) {
    return convert(Direction::CodePageToUtf8, text.bytes());
}

std::optional<ByteText> utf8ToCodePage(std::string_view utf8) {
    if (utf8.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    auto converted = convert(Direction::Utf8ToCodePage, utf8);
    if (!converted) {
        return std::nullopt;
    }
    return ByteText::fromBuffer(std::move(*converted));
}

std::optional<std::u16string> codePageToUtf16(const ByteText& text) {
    const auto converted = convert(Direction::CodePageToUtf16, text.bytes());
    if (!converted) {
        return std::nullopt;
    }
    std::u16string units(converted->size() / 2, u'\0');
    std::memcpy(units.data(), converted->data(), units.size() * 2);
    return units;
}

std::optional<ByteText> utf16ToCodePage(std::u16string_view utf16) {
    if (utf16.find(u'\0') != std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    auto converted = convert(Direction::Utf16ToCodePage, bytes);
    if (!converted) {
        return std::nullopt;
    }
    return ByteText::fromBuffer(std::move(*converted));
}

}  // namespace juanzhi
