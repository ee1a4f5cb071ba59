#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
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

    // Adds the bytes at the end of what is written so far. Small pieces are
    // gathered into blocks first, so a write that fails may be reported by a
    // later append or by the commit.
    platform::FileError append(std::string_view bytes);
    // Keeps only the first `size` bytes written; the next append goes there.
    void cutBack(std::int64_t size);
    std::int64_t size() const { return written_ + static_cast<std::int64_t>(block_.size()); }

    // Whether the commit waits until the content is on the disk. Only then
    // does a crash right after the move leave the new content in place; the
    // move alone may leave an empty file there.
    enum class Flush { ToDisk, Skip };

    // Moves the file over the target, first flushing it as asked.
    platform::FileError commit(Flush flush = Flush::ToDisk);
    // The same, first giving the file the permissions of `original`, the
    // open target it replaces.
    platform::FileError commitOver(const platform::OsFile& original, Flush flush = Flush::ToDisk);

  private:
    PendingFile(ByteText target, ByteText path, platform::OsFile file);

    platform::FileError writeBlock();

    ByteText target_;
    ByteText path_;  // empty once committed or moved from
    platform::OsFile file_;
    std::int64_t written_ = 0;                                // bytes handed to the file
    std::string block_;                                       // bytes gathered after them
    platform::FileError failed_ = platform::FileError::None;  // the first write that failed
};

}  // namespace juanzhi
