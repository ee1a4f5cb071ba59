#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/platform.h"

namespace juanzhi {

// A file written beside its target under a passing name, which takes the
// target's place in one step only once it is complete and on the disk.
// Until then the target (if there is one) stays whole, and a file that is
// dropped or never committed is removed again. The file holds its writer's
// lock while it lives, so one left behind by a crash is told apart from one
// being written, and cleared away by a later run.
class PendingFile {
  public:
    // An empty file in the folder of `target`; nothing, and why, when the
    // folder takes no new file.
    static std::optional<PendingFile> create(const ByteText& target, platform::FileError& why);

    // Removes the passing files in the folder of `target` that no running
    // writer holds: those left behind by a run that was killed. Files of any
    // other name are never touched.
    static void clearAbandonedBeside(const ByteText& target);

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

    // The steps of a commit, for a group of files that wait for the disk
    // together (CommitGroup): complete, flush, move into place.
    // Writes what is gathered and keeps only what was written; with an
    // original, gives the file its permissions.
    platform::FileError complete(const platform::OsFile* original = nullptr);
    const platform::OsFile& file() const { return file_; }
    const ByteText& target() const { return target_; }
    // Moves the completed file over the target.
    platform::FileError moveIntoPlace();

  private:
    PendingFile(ByteText target, ByteText path, platform::OsFile file);

    platform::FileError writeBlock();
    platform::FileError commitWith(const platform::OsFile* original, Flush flush);

    ByteText target_;
    ByteText path_;  // empty once committed or moved from
    platform::OsFile file_;
    std::int64_t written_ = 0;                                // bytes handed to the file
    std::string block_;                                       // bytes gathered after them
    platform::FileError failed_ = platform::FileError::None;  // the first write that failed
    bool cutBack_ = false;  // the file may hold bytes past what is kept
};

// Clears the abandoned passing files of each folder that a batch writes in,
// once per folder, the first time it writes there.
class LeftoverClearing {
  public:
    void beside(const ByteText& target);

  private:
    std::set<std::string, std::less<>> folders_;
};

}  // namespace juanzhi
