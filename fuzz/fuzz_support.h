#pragma once

// What the fuzz targets share: plain references that walk a text one
// character at a time from its first byte, a scratch folder for the targets
// that work on files, and the report of a broken property.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/byte_text.h"

namespace fuzz {

// ---- The character rule, read plainly ----------------------------------

inline bool isHigh(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

// 1 or 2: a high byte with another byte after it starts a pair.
inline std::size_t characterLength(std::string_view bytes, std::size_t at) {
    return isHigh(bytes[at]) && at + 1 < bytes.size() ? 2 : 1;
}

// Every offset where a character starts, walking from the first byte.
inline std::vector<std::size_t> characterStarts(std::string_view bytes) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < bytes.size(); at += characterLength(bytes, at)) {
        starts.push_back(at);
    }
    return starts;
}

// First occurrence of `pattern` starting at a character start at or after
// `from`, itself a character start; npos when there is none.
inline std::size_t naiveFind(std::string_view text, std::string_view pattern,
                             std::size_t from = 0) {
    for (std::size_t at = from; at + pattern.size() <= text.size();
         at += characterLength(text, at)) {
        if (text.substr(at, pattern.size()) == pattern) {
            return at;
        }
    }
    return std::string_view::npos;
}

// Left to right: an occurrence is replaced and the walk goes on right after
// it; otherwise one character is copied.
inline std::string naiveReplaceAll(std::string_view text, std::string_view search,
                                   std::string_view replacement) {
    if (search.empty()) {
        return std::string(text);
    }
    std::string out;
    std::size_t at = 0;
    while (text.size() - at >= search.size()) {
        if (text.substr(at, search.size()) == search) {
            out += replacement;
            at += search.size();
        } else {
            const std::size_t length = characterLength(text, at);
            out += text.substr(at, length);
            at += length;
        }
    }
    out += text.substr(at);
    return out;
}

// Where the text ends: at NUL or 0x1A where a character starts, or in front
// of a lead byte whose second byte is NUL.
inline std::size_t naiveTextLength(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += characterLength(bytes, at)) {
        if (bytes[at] == '\0' || bytes[at] == '\x1A') {
            return at;
        }
        if (characterLength(bytes, at) == 2 && bytes[at + 1] == '\0') {
            return at;
        }
    }
    return bytes.size();
}

// A plain text: after its stop, if any, nothing but 0x1A bytes.
inline bool isPlainText(std::string_view book) {
    return book.substr(naiveTextLength(book)).find_first_not_of('\x1A') == std::string_view::npos;
}

// ---- Reporting -----------------------------------------------------------

inline std::string hex(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!out.empty()) {
            out += ' ';
        }
        out += Digits[byte >> 4];
        out += Digits[byte & 0xF];
    }
    return out;
}

// Bytes shown in hex, or, with asText, a text (numbers, names) as it is.
struct Shown {
    std::string_view name;
    std::string_view bytes;
    bool asText = false;
};

// Names the broken property and the bytes involved, then aborts, so that
// libFuzzer keeps the input.
[[noreturn]] inline void broken(std::string_view property, std::initializer_list<Shown> shown) {
    std::fprintf(stderr, "\nproperty broken: %.*s\n", static_cast<int>(property.size()),
                 property.data());
    for (const Shown& item : shown) {
        const int nameLength = static_cast<int>(item.name.size());
        if (item.asText) {
            std::fprintf(stderr, "  %.*s: %.*s\n", nameLength, item.name.data(),
                         static_cast<int>(item.bytes.size()), item.bytes.data());
        } else {
            std::fprintf(stderr, "  %.*s (%zu bytes): %s\n", nameLength, item.name.data(),
                         item.bytes.size(), hex(item.bytes).c_str());
        }
    }
    std::abort();
}

inline void check(bool holds, std::string_view property, std::initializer_list<Shown> shown) {
    if (!holds) {
        broken(property, shown);
    }
}

// ---- Files ---------------------------------------------------------------

// A fresh folder for one input, removed afterwards. It lies under
// JUANZHI_FUZZ_TMP when set (the script points it at a folder it removes
// later, in case a run aborts), else in memory when /dev/shm is there.
class ScratchFolder {
  public:
    ScratchFolder() {
        namespace fs = std::filesystem;
        const char* given = std::getenv("JUANZHI_FUZZ_TMP");
        const fs::path parent = given                          ? fs::path(given)
                                : fs::is_directory("/dev/shm") ? fs::path("/dev/shm")
                                                               : fs::temp_directory_path();
        fs::create_directories(parent);
        std::string pattern = (parent / "juanzhi-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path file(std::string_view name) const { return path_ / name; }

    juanzhi::ByteText path() const { return juanzhi::ByteText(path_.string()); }

    // The path as the book operations take it (the names here are ASCII).
    juanzhi::ByteText path(std::string_view name) const {
        return juanzhi::ByteText(file(name).string());
    }

    juanzhi::ByteText write(std::string_view name, std::string_view bytes) const {
        std::ofstream(file(name), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

    std::string read(std::string_view name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The names of the files in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

  private:
    std::filesystem::path path_;
};

// Names or numbers one after the other, for a report.
template <typename T>
std::string joined(const std::vector<T>& items) {
    std::string out;
    for (const auto& item : items) {
        if constexpr (std::is_arithmetic_v<T>) {
            out += std::to_string(item) + ' ';
        } else {
            out += item + ' ';
        }
    }
    return out;
}

}  // namespace fuzz
