#include "core/path.h"

#include <string_view>

#include "core/character_rule.h"

namespace juanzhi {

namespace {

constexpr std::string_view Ellipsis = "...";

// 0-based index of the last separator among the character starts of
// `bytes`, or npos.
std::size_t lastSeparatorIndex(std::string_view bytes) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0; at < bytes.size(); at += characterLengthAt(bytes, at)) {
        if (isPathSeparator(static_cast<unsigned char>(bytes[at]))) {
            last = at;
        }
    }
    return last;
}

// The longest beginning of `bytes` of at most `limit` bytes that ends
// between two characters.
std::string_view leadingCharacters(std::string_view bytes, std::size_t limit) {
    std::size_t end = 0;
    while (end < bytes.size()) {
        const std::size_t next = end + characterLengthAt(bytes, end);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return bytes.substr(0, end);
}

}  // namespace

ByteText pathSeparator() {
    return ByteText(std::string_view(&PathSeparator, 1));
}

bool isPathSeparator(unsigned char byte) {
#ifdef _WIN32
    return byte == '\\' || byte == '/';
#else
    return byte == '/';
#endif
}

std::int32_t findLastSeparator(const ByteText& path) {
    const std::size_t index = lastSeparatorIndex(path.bytes());
    return index == std::string_view::npos ? -1 : static_cast<std::int32_t>(index + 1);
}

ByteText folderOf(const ByteText& path) {
    return leftText(path, findLastSeparator(path) - 1);
}

ByteText containingFolder(const ByteText& path) {
    const std::int32_t separator = findLastSeparator(path);
    if (separator < 0) {
        return ByteText(".");
    }
    return separator == 1 ? pathSeparator() : leftText(path, separator - 1);
}

ByteText joinPath(const ByteText& folder, const ByteText& name) {
    return concatTexts(folder, pathSeparator(), name);
}

ByteText compactPath(const ByteText& path, std::int32_t capacity) {
    if (capacity <= 1) {
        return {};
    }
    const auto limit = static_cast<std::size_t>(capacity - 1);
    const std::string_view bytes = path.bytes();
    if (bytes.size() <= limit) {
        return path;
    }

    const std::size_t separator = lastSeparatorIndex(bytes);
    const std::string_view name =
        separator == std::string_view::npos ? bytes : bytes.substr(separator + 1);

    if (separator != std::string_view::npos) {
        const std::string_view tail = bytes.substr(separator);  // separator and file name
        if (tail.size() + Ellipsis.size() <= limit) {
            std::string_view head = leadingCharacters(bytes, limit - Ellipsis.size() - tail.size());
            // Whole folders read better than a folder cut in the middle.
            const std::size_t headSeparator = lastSeparatorIndex(head);
            if (headSeparator != std::string_view::npos && headSeparator > 0) {
                head = head.substr(0, headSeparator + 1);
            }
            return concatParts({head, Ellipsis, tail});
        }
    }

    if (limit <= Ellipsis.size()) {
        return ByteText(leadingCharacters(name, limit));
    }
    return concatParts({leadingCharacters(name, limit - Ellipsis.size()), Ellipsis});
}

}  // namespace juanzhi
