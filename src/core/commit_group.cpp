#include "core/commit_group.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "core/path.h"

namespace juanzhi {

using platform::FileError;

CommitGroup::CommitGroup(Committed committed) : committed_(std::move(committed)) {
    members_.reserve(Capacity);
}

void CommitGroup::add(std::size_t tag, PendingFile file, platform::OsFile original) {
    // Completed at once, so that a file waiting for its group holds no
    // gathered bytes in memory.
    const FileError completed = file.complete(&original);
    members_.push_back({tag, std::move(file), std::move(original), completed});
    if (members_.size() >= Capacity) {
        commit();
    }
}

bool CommitGroup::holds(const platform::FileIdentity& file) const {
    return std::any_of(members_.begin(), members_.end(), [&file](const Member& member) {
        return member.original.identity() == file;
    });
}

void CommitGroup::commit() {
    std::vector<Member> members = std::exchange(members_, {});
    members_.reserve(Capacity);
    std::vector<FileError> results(members.size(), FileError::None);

    std::vector<const platform::OsFile*> complete;
    for (std::size_t i = 0; i < members.size(); ++i) {
        results[i] = members[i].completed;
        if (results[i] == FileError::None) {
            complete.push_back(&members[i].file.file());
        }
    }
    if (const FileError flushed = platform::flushTogether(complete); flushed != FileError::None) {
        for (FileError& result : results) {
            if (result == FileError::None) {
                result = flushed;
            }
        }
    }
    std::set<std::string> folders;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (results[i] == FileError::None) {
            const ByteText target = members[i].file.target();
            results[i] = members[i].file.moveIntoPlace();
            if (results[i] == FileError::None) {
                folders.insert(std::string(containingFolder(target).bytes()));
            }
        }
        members[i].original = platform::OsFile();  // the book's lock ends here
    }
    // A file is reported in place only once its new name is on the disk.
    // A folder that cannot be synced has its files in place all the same:
    // they are not reported as failed.
    for (const std::string& folder : folders) {
        platform::syncFolder(ByteText(folder));
    }
    for (std::size_t i = 0; i < members.size(); ++i) {
        committed_(members[i].tag, results[i]);
    }
}

}  // namespace juanzhi
