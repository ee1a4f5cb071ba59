#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/code_page.h"

namespace juanzhi::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("juanzhi-test-" + std::to_string(seed()) + std::to_string(seed()));
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

    std::filesystem::path write(std::string_view utf8Name, std::string_view bytes) const {
        const auto target = file(utf8Name);
        std::ofstream(target, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return target;
    }

  private:
    std::filesystem::path path_;
};

inline std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace juanzhi::test
