#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "core/pending_file.h"
#include "core/platform.h"

namespace juanzhi {

// New files that take their targets' places together, so that a batch
// waits for the disk once per group rather than once per book. The order
// is what keeps books whole: every new file is complete and on the disk
// before any takes its target's place; then each is moved into place; then
// each folder is synced once, so a target reported replaced stays replaced
// after a power cut. A crash at any moment leaves each target old or new.
class CommitGroup {
  public:
    // Files at most in a group: each holds two handles open until it commits.
    static constexpr std::size_t Capacity = 64;

    // Told of each file, in the order added, once it is in place or has
    // failed (FileError::None when it is in place).
    using Committed = std::function<void(std::size_t tag, platform::FileError result)>;

    explicit CommitGroup(Committed committed);
    // Files never committed are dropped; their targets stay as they were.
    ~CommitGroup() = default;
    CommitGroup(const CommitGroup&) = delete;
    CommitGroup& operator=(const CommitGroup&) = delete;

    // Adds a written file and the open target it replaces, whose handle
    // (and with it the writer's lock) is held until the move. A full group
    // is committed at once.
    void add(std::size_t tag, PendingFile file, platform::OsFile original);

    // Commits every file added so far.
    void commit();

    // Whether the file replaced by one of the group's files is `file`: its
    // lock is held until the group commits.
    bool holds(const platform::FileIdentity& file) const;

  private:
    struct Member {
        std::size_t tag;
        PendingFile file;
        platform::OsFile original;
        platform::FileError completed;
    };

    Committed committed_;
    std::vector<Member> members_;
};

}  // namespace juanzhi
