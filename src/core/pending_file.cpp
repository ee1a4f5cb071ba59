#include "core/pending_file.h"

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "core/block_size.h"
#include "core/path.h"

namespace juanzhi {

using platform::FileError;

namespace {

// Pieces at least this large are written at once; smaller ones are gathered
// up to GatheredBytes first.
constexpr std::size_t DirectBytes = std::max<std::size_t>(BlockBytes / 2, 1);
constexpr std::size_t GatheredBytes = BlockBytes;

// A name no book has, so a file left behind by a crash is easy to tell.
constexpr std::string_view PassingPrefix = ".juanzhi-";
constexpr std::string_view PassingSuffix = ".tmp";
constexpr std::size_t PassingDigits = 8;
constexpr std::string_view Digits = "0123456789abcdef";

ByteText passingName() {
    static std::mt19937 draw{std::random_device{}()};
    std::string name(PassingPrefix);
    for (auto value = static_cast<std::uint32_t>(draw()), count = 0u; count < PassingDigits;
         ++count, value >>= 4) {
        name.push_back(Digits[value & 0xF]);
    }
    name += PassingSuffix;
    return ByteText(name);
}

bool isPassingName(std::string_view name) {
    if (name.size() != PassingPrefix.size() + PassingDigits + PassingSuffix.size() ||
        !name.starts_with(PassingPrefix) || !name.ends_with(PassingSuffix)) {
        return false;
    }
    const std::string_view digits = name.substr(PassingPrefix.size(), PassingDigits);
    return digits.find_first_not_of(Digits) == std::string_view::npos;
}

// A passing file's path beside `target`: in its folder, or in the working
// folder when the target is a bare name.
ByteText besideTarget(const ByteText& target, const ByteText& name) {
    const ByteText folder = folderOf(target);
    return folder.empty() && findLastSeparator(target) < 0 ? name : joinPath(folder, name);
}

ByteText passingPath(const ByteText& target) {
    return besideTarget(target, passingName());
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
            const FileError locked = opened.file->tryLock();
            if (locked != FileError::None && locked != FileError::Busy) {
                // No lock can be had here: a file left unlocked could never
                // be told from an abandoned one, so none is left.
                opened.file.reset();
                platform::removeFile(path);
                why = locked;
                return std::nullopt;
            }
            // Another run's clearing may have taken the new file for an
            // abandoned one before it was locked; then it is made again.
            if (locked == FileError::None &&
                opened.file->identity() == platform::fileIdentity(path)) {
                return PendingFile(target, std::move(path), std::move(*opened.file));
            }
            why = FileError::Other;
            continue;
        }
        if (opened.error != FileError::AlreadyExists) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void PendingFile::clearAbandonedBeside(const ByteText& target) {
    for (const ByteText& name : platform::folderEntries(containingFolder(target), PassingPrefix)) {
        if (!isPassingName(name.bytes())) {
            continue;
        }
        const ByteText path = besideTarget(target, name);
        // A passing file is never a link, pipe or device; whatever else
        // bears its name is not ours.
        if (!platform::isPlainFile(path)) {
            continue;
        }
        const auto opened =
            platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
        // Its writer still lives while the lock is held.
        if (opened.file && opened.file->tryLock() == FileError::None &&
            opened.file->identity() == platform::fileIdentity(path)) {
            platform::removeFile(path);
        }
    }
}

PendingFile::PendingFile(ByteText target, ByteText path, platform::OsFile file)
    : target_(std::move(target)), path_(std::move(path)), file_(std::move(file)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)),
      path_(std::exchange(other.path_, ByteText())),
      file_(std::move(other.file_)),
      written_(other.written_),
      block_(std::move(other.block_)),
      failed_(other.failed_),
      cutBack_(other.cutBack_) {}

PendingFile::~PendingFile() {
    if (!path_.empty()) {
        file_ = platform::OsFile();
        platform::removeFile(path_);
    }
}

FileError PendingFile::append(std::string_view bytes) {
    // Small pieces are gathered, so that a book of short lines costs few
    // writes; a large one goes to the file as it is, without a copy.
    if (bytes.size() >= DirectBytes) {
        writeBlock();
        if (failed_ == FileError::None) {
            failed_ = file_.writeAt(written_, bytes);
        }
        written_ += static_cast<std::int64_t>(bytes.size());
        return failed_;
    }
    if (block_.size() + bytes.size() > GatheredBytes) {
        writeBlock();
    }
    block_.append(bytes);
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
    cutBack_ = true;
}

FileError PendingFile::writeBlock() {
    if (failed_ == FileError::None && !block_.empty()) {
        failed_ = file_.writeAt(written_, block_);
    }
    written_ += static_cast<std::int64_t>(block_.size());
    block_.clear();
    return failed_;
}

FileError PendingFile::complete(const platform::OsFile* original) {
    const FileError written = writeBlock();
    std::string().swap(block_);  // a completed file waiting in a group holds no memory
    if (written != FileError::None) {
        return written;
    }
    // Bytes past what is kept (cut back) are dropped here.
    if (cutBack_ && !file_.truncate(written_)) {
        return FileError::Other;
    }
    return original ? file_.adoptPermissions(*original) : FileError::None;
}

FileError PendingFile::moveIntoPlace() {
    // Moved while still open and locked, so that no other run's clearing
    // can take it for abandoned in between.
    const FileError moved = platform::renameReplacing(path_, target_);
    if (moved == FileError::None) {
        path_ = ByteText();
        file_ = platform::OsFile();
    }
    return moved;
}

FileError PendingFile::commit(Flush flush) {
    return commitWith(nullptr, flush);
}

FileError PendingFile::commitOver(const platform::OsFile& original, Flush flush) {
    return commitWith(&original, flush);
}

FileError PendingFile::commitWith(const platform::OsFile* original, Flush flush) {
    if (const FileError completed = complete(original); completed != FileError::None) {
        return completed;
    }
    if (flush == Flush::ToDisk) {
        if (const FileError flushed = file_.flush(); flushed != FileError::None) {
            return flushed;
        }
    }
    return moveIntoPlace();
}

void LeftoverClearing::beside(const ByteText& target) {
    const ByteText folder = folderOf(target);
    if (folders_.insert(std::string(folder.bytes())).second) {
        PendingFile::clearAbandonedBeside(target);
    }
}

}  // namespace juanzhi
