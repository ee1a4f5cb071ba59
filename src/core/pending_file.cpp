#include "core/pending_file.h"

#include <random>
#include <string>
#include <utility>

#include "core/path.h"

namespace juanzhi {

using platform::FileError;

namespace {

// A name no book has, so a file left behind by a crash is easy to tell.
ByteText passingName() {
    static std::mt19937 draw{std::random_device{}()};
    constexpr std::string_view Digits = "0123456789abcdef";
    std::string name = ".juanzhi-";
    for (auto value = static_cast<std::uint32_t>(draw()), count = 0u; count < 8;
         ++count, value >>= 4) {
        name.push_back(Digits[value & 0xF]);
    }
    name += ".tmp";
    return ByteText(name);
}

ByteText passingPath(const ByteText& target) {
    const ByteText folder = folderOf(target);
    return folder.empty() && findLastSeparator(target) < 0 ? passingName()
                                                           : joinPath(folder, passingName());
}

}  // namespace

std::optional<PendingFile> PendingFile::create(const ByteText& target, FileError& why) {
    constexpr int Attempts = 16;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        ByteText path = passingPath(target);
        auto opened =
            platform::openFile(path, platform::Access::ReadWrite, platform::Creation::CreateNew);
        why = opened.error;
        if (opened.file) {
            return PendingFile(target, std::move(path), std::move(*opened.file));
        }
        if (opened.error != FileError::AlreadyExists) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

PendingFile::PendingFile(ByteText target, ByteText path, platform::OsFile file)
    : target_(std::move(target)), path_(std::move(path)), file_(std::move(file)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)),
      path_(std::exchange(other.path_, ByteText())),
      file_(std::move(other.file_)),
      size_(other.size_) {}

PendingFile::~PendingFile() {
    if (!path_.empty()) {
        file_ = platform::OsFile();
        platform::removeFile(path_);
    }
}

FileError PendingFile::append(std::string_view bytes) {
    const FileError written = file_.writeAt(size_, bytes);
    if (written == FileError::None) {
        size_ += static_cast<std::int64_t>(bytes.size());
    }
    return written;
}

FileError PendingFile::commit() {
    // Bytes past what is kept (cut back, or a write that failed partway)
    // are dropped here.
    if (!file_.truncate(size_)) {
        return FileError::Other;
    }
    if (const FileError flushed = file_.flush(); flushed != FileError::None) {
        return flushed;
    }
    // Closed first: some systems move no file that is still open.
    file_ = platform::OsFile();
    const FileError moved = platform::renameReplacing(path_, target_);
    if (moved == FileError::None) {
        path_ = ByteText();
    }
    return moved;
}

FileError PendingFile::commitOver(const platform::OsFile& original) {
    if (const FileError adopted = file_.adoptPermissions(original); adopted != FileError::None) {
        return adopted;
    }
    return commit();
}

}  // namespace juanzhi
