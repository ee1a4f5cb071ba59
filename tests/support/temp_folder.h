#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/code_page.h"

namespace juanzhi::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
  public:
    explicit TempFolder(
        const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::random_device seed;
        path_ = base / ("juanzhi-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path file(std::string_view utf8Name) const {
        return path_ / std::filesystem::u8path(utf8Name);
    }

    // The code-page form of a path in this folder, as callers hand it over.
    ByteText codePagePath(std::string_view utf8Name) const {
        return *utf8ToCodePage(file(utf8Name).string());
    }

    // Writes a file and gives its code-page path, as the work list holds it.
    ByteText book(std::string_view utf8Name, std::string_view bytes) const {
        write(utf8Name, bytes);
        return codePagePath(utf8Name);
    }

    std::filesystem::path write(std::string_view utf8Name, std::string_view bytes) const {
        const auto target = file(utf8Name);
        std::ofstream(target, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return target;
    }

  private:
    std::filesystem::path path_;
};

// A folder in memory where the system has one: for tests that write much
// and need no disk, such as those that run a job again and again.
inline std::filesystem::path memoryFolderBase() {
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    return std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
}

inline std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of the file at a code-page path.
inline std::string readAll(const ByteText& path) {
    return readAll(std::filesystem::u8path(*codePageToUtf8(path)));
}

// The names in a folder, sorted.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace juanzhi::test
