#include "books/file_name.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/character_rule.h"

namespace juanzhi {

namespace {

constexpr std::string_view ForbiddenInNames = "\\/:*?\"<>|";
constexpr unsigned char FullWidthLead = 0xA3;
constexpr std::string_view FullWidthSpace = "\xA1\xA1";

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

bool isBlank(std::string_view character) {
    return character == " " || character == FullWidthSpace;
}

}  // namespace

ByteText mendFileName(const ByteText& title) {
    const std::string_view in = title.bytes();
    std::string out;
    out.reserve(in.size());
    // Where each character of `out` starts, so both ends can be trimmed by
    // characters.
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < in.size();) {
        const std::size_t length = characterLengthAt(in, at);
        const auto byte = static_cast<unsigned char>(in[at]);
        const std::size_t start = out.size();
        if (length == 2) {
            out.append(in.substr(at, 2));
        } else if (isHighByte(byte) || isControl(byte)) {
            // A lead byte without its second byte would swallow the "." of
            // ".txt"; a control byte is no part of a name.
        } else if (ForbiddenInNames.find(static_cast<char>(byte)) != std::string_view::npos) {
            out.push_back(static_cast<char>(FullWidthLead));
            out.push_back(static_cast<char>(byte + 0x80));
        } else {
            out.push_back(static_cast<char>(byte));
        }
        if (out.size() > start) {
            starts.push_back(start);
        }
        at += length;
    }

    const auto character = [&](std::size_t index) {
        const std::size_t end = index + 1 < starts.size() ? starts[index + 1] : out.size();
        return std::string_view(out).substr(starts[index], end - starts[index]);
    };
    std::size_t first = 0;
    while (first < starts.size() && isBlank(character(first))) {
        ++first;
    }
    std::size_t last = starts.size();  // one past the last character kept
    while (last > first && (isBlank(character(last - 1)) || character(last - 1) == ".")) {
        --last;
    }
    if (first == last) {
        return {};
    }
    const std::size_t from = starts[first];
    const std::size_t to = last < starts.size() ? starts[last] : out.size();
    return ByteText(std::string_view(out).substr(from, to - from));
}

}  // namespace juanzhi
