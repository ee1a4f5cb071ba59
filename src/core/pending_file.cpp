#include "core/pending_file.h"

#include <random>
#include <string>
#include <utility>

#include "core/block_size.h"
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
      written_(other.written_),
      block_(std::move(other.block_)),
      failed_(other.failed_) {}

PendingFile::~PendingFile() {
    if (!path_.empty()) {
        file_ = platform::OsFile();
        platform::removeFile(path_);
    }
}

FileError PendingFile::append(std::string_view bytes) {
    if (block_.size() + bytes.size() > BlockBytes) {
        writeBlock();
    }
    if (bytes.size() < BlockBytes) {
        if (block_.capacity() < BlockBytes) {
            block_.reserve(BlockBytes);
        }
        block_.append(bytes);
    } else if (failed_ == FileError::None) {
        // A large piece goes to the file as it is, without a copy.
        failed_ = file_.writeAt(written_, bytes);
        written_ += static_cast<std::int64_t>(bytes.size());
    }
    return failed_;
}

void PendingFile::cutBack(std::int64_t size) {
    if (size >= written_) {
        block_.resize(std::min(block_.size(), static_cast<std::size_t>(size - written_)));
        return;
    }
    // What the file holds past `size` is written over or cut off at the
    // commit.
    block_.clear();
    written_ = size;
}

FileError PendingFile::writeBlock() {
    if (failed_ == FileError::None && !block_.empty()) {
        failed_ = file_.writeAt(written_, block_);
    }
    written_ += static_cast<std::int64_t>(block_.size());
    block_.clear();
    return failed_;
}

FileError PendingFile::commit(Flush flush) {
    if (const FileError written = writeBlock(); written != FileError::None) {
        return written;
    }
    // Bytes past what is kept (cut back, or a write that failed partway)
    // are dropped here.
    if (!file_.truncate(written_)) {
        return FileError::Other;
    }
    if (flush == Flush::ToDisk) {
        if (const FileError flushed = file_.flush(); flushed != FileError::None) {
            return flushed;
        }
    }
    // Closed first: some systems move no file that is still open.
    file_ = platform::OsFile();
    const FileError moved = platform::renameReplacing(path_, target_);
    if (moved == FileError::None) {
        path_ = ByteText();
    }
    return moved;
}

FileError PendingFile::commitOver(const platform::OsFile& original, Flush flush) {
    if (const FileError adopted = file_.adoptPermissions(original); adopted != FileError::None) {
        return adopted;
    }
    return commit(flush);
}

}  // namespace juanzhi
