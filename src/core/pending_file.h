#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/byte_text.h"
#include "core/platform.h"

namespace juanzhi {

// A file written beside its target under a passing name, which takes the
// target's place in one step only once it is complete and on the disk.
// Until then the target (if there is one) stays whole, and a file that is
// dropped or never committed is removed again.
class PendingFile {
  public:
    // An empty file in the folder of `target`; nothing, and why, when the
    // folder takes no new file.
    static std::optional<PendingFile> create(const ByteText& target, platform::FileError& why);

    ~PendingFile();
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Adds the bytes at the end of what is written so far.
    platform::FileError append(std::string_view bytes);
    // Keeps only the first `size` bytes written; the next append goes there.
    void cutBack(std::int64_t size) { size_ = std::min(size, size_); }
    std::int64_t size() const { return size_; }

    // Flushes the file and moves it over the target.
    platform::FileError commit();
    // The same, first giving the file the permissions of `original`, the
    // open target it replaces.
    platform::FileError commitOver(const platform::OsFile& original);

  private:
    PendingFile(ByteText target, ByteText path, platform::OsFile file);

    ByteText target_;
    ByteText path_;  // empty once committed or moved from
    platform::OsFile file_;
    std::int64_t size_ = 0;
};

}  // namespace juanzhi
