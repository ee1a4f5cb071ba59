// The OS door on POSIX systems. Paths are handed to the OS as UTF-8.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "core/code_page.h"
#include "core/platform.h"

namespace juanzhi::platform {

namespace {

testing::FaultHook faultHook = nullptr;

FileError injectedFault(testing::Call call, std::size_t& bytes) {
    return faultHook ? faultHook(call, bytes) : FileError::None;
}

FileError injectedFault(testing::Call call) {
    std::size_t none = 0;
    return injectedFault(call, none);
}

int fdOf(OsFile::NativeHandle handle) {
    return static_cast<int>(handle);
}

FileError errorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileError::NotFound;
        case EEXIST:
            return FileError::AlreadyExists;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return FileError::AccessDenied;
        case EISDIR:
            return FileError::IsFolder;
        case ENAMETOOLONG:
        case EILSEQ:
            return FileError::BadName;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileError::DiskFull;
        default:
            return FileError::Other;
    }
}

std::optional<std::string> nativePath(const ByteText& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    return codePageToUtf8(path);
}

int openFlags(Access access, Creation creation) {
    // Non-blocking, so that a pipe or a device at a book's name is refused
    // at once instead of waiting for a writer that never comes.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    switch (access) {
        case Access::ReadOnly:
            flags |= O_RDONLY;
            break;
        case Access::WriteOnly:
            flags |= O_WRONLY;
            break;
        case Access::ReadWrite:
            flags |= O_RDWR;
            break;
    }
    switch (creation) {
        case Creation::MustExist:
            break;
        case Creation::CreateOrTruncate:
            flags |= O_CREAT | O_TRUNC;
            break;
        case Creation::CreateOrKeep:
            flags |= O_CREAT;
            break;
        case Creation::CreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
    }
    return flags;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// For file systems that refuse RENAME_NOREPLACE: link() never replaces
// either, and the old name is dropped only once the new one exists.
FileError renameByLink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errorFromErrno(errno);
    }
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return errorFromErrno(error);
    }
    return FileError::None;
}

FileError writeAll(int fd, std::int64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errorFromErrno(errno);
        }
        if (put == 0) {
            return FileError::DiskFull;  // nothing taken and no reason given
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
        offset += put;
    }
    return FileError::None;
}

}  // namespace

OsFile::~OsFile() {
    if (handle_ != NoHandle) {
        ::close(fdOf(handle_));
    }
}

OsFile::OsFile(OsFile&& other) noexcept : handle_(std::exchange(other.handle_, NoHandle)) {}

OsFile& OsFile::operator=(OsFile&& other) noexcept {
    if (this != &other) {
        if (handle_ != NoHandle) {
            ::close(fdOf(handle_));
        }
        handle_ = std::exchange(other.handle_, NoHandle);
    }
    return *this;
}

std::optional<std::size_t> OsFile::readAt(std::int64_t offset, char* buffer,
                                          std::size_t count) const {
    while (true) {
        const ssize_t got = ::pread(fdOf(handle_), buffer, count, static_cast<off_t>(offset));
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

FileError OsFile::writeAt(std::int64_t offset, std::string_view bytes) const {
    std::size_t allowed = bytes.size();
    const FileError injected = injectedFault(testing::Call::Write, allowed);
    if (injected != FileError::None) {
        writeAll(fdOf(handle_), offset, bytes.substr(0, std::min(allowed, bytes.size())));
        return injected;
    }
    return writeAll(fdOf(handle_), offset, bytes);
}

std::optional<std::int64_t> OsFile::length() const {
    struct stat status {};
    if (::fstat(fdOf(handle_), &status) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(status.st_size);
}

std::optional<FileIdentity> OsFile::identity() const {
    struct stat status {};
    if (::fstat(fdOf(handle_), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

bool OsFile::truncate(std::int64_t length) const {
    if (injectedFault(testing::Call::Truncate) != FileError::None) {
        return false;
    }
    while (::ftruncate(fdOf(handle_), static_cast<off_t>(length)) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

FileError OsFile::flush() const {
    if (const FileError injected = injectedFault(testing::Call::Flush);
        injected != FileError::None) {
        return injected;
    }
    while (::fsync(fdOf(handle_)) != 0) {
        if (errno != EINTR) {
            return errorFromErrno(errno);
        }
    }
    return FileError::None;
}

FileError OsFile::adoptPermissions(const OsFile& other) const {
    struct stat status {};
    if (::fstat(fdOf(other.handle_), &status) != 0) {
        return errorFromErrno(errno);
    }
    // Only a privileged user may give a file away; anyone else keeps it as
    // their own, which is what the rename over their book gives them anyway.
    [[maybe_unused]] const int owned = ::fchown(fdOf(handle_), status.st_uid, status.st_gid);
    if (::fchmod(fdOf(handle_), status.st_mode & 07777) != 0) {
        return errorFromErrno(errno);
    }
    return FileError::None;
}

void OsFile::startWriting() const {
#ifdef __linux__
    ::sync_file_range(fdOf(handle_), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

FileError OsFile::tryLock() const {
    if (const FileError injected = injectedFault(testing::Call::Lock);
        injected != FileError::None) {
        return injected;
    }
    // flock, not fcntl: a record lock would end when any other descriptor
    // of the file in this process is closed.
    while (::flock(fdOf(handle_), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return FileError::Busy;
        }
        if (errno != EINTR) {
            return errorFromErrno(errno);
        }
    }
    return FileError::None;
}

OpenResult openFile(const ByteText& path, Access access, Creation creation) {
    const auto native = nativePath(path);
    if (!native) {
        return {std::nullopt, FileError::BadName};
    }
    int fd = -1;
    do {
        fd = ::open(native->c_str(), openFlags(access, creation), 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return {std::nullopt, errorFromErrno(errno)};
    }
    // Reading a folder opens fine on POSIX; a book is never a folder, nor a
    // pipe, socket or device.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        ::close(fd);
        return {std::nullopt, folder ? FileError::IsFolder : FileError::NotAFile};
    }
    // Back to blocking reads and writes, as regular files always are.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {OsFile(fd), FileError::None};
}

FileError renameNoReplace(const ByteText& from, const ByteText& to) {
    const auto source = nativePath(from);
    const auto target = nativePath(to);
    if (!source || !target) {
        return FileError::BadName;
    }
    if (const FileError injected = injectedFault(testing::Call::Rename);
        injected != FileError::None) {
        return injected;
    }
    FileError result = FileError::None;
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        result = (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP)
                     ? renameByLink(*source, *target)
                     : errorFromErrno(error);
    }
    // A file renamed onto its own path (or onto another name of itself)
    // already has that path.
    if (result == FileError::AlreadyExists && sameFile(*source, *target)) {
        return FileError::None;
    }
    return result;
}

FileError renameReplacing(const ByteText& from, const ByteText& to) {
    const auto source = nativePath(from);
    const auto target = nativePath(to);
    if (!source || !target) {
        return FileError::BadName;
    }
    if (const FileError injected = injectedFault(testing::Call::Rename);
        injected != FileError::None) {
        return injected;
    }
    return ::rename(source->c_str(), target->c_str()) == 0 ? FileError::None
                                                           : errorFromErrno(errno);
}

FileError removeFile(const ByteText& path) {
    const auto native = nativePath(path);
    if (!native) {
        return FileError::BadName;
    }
    if (const FileError injected = injectedFault(testing::Call::Remove);
        injected != FileError::None) {
        return injected;
    }
    return ::unlink(native->c_str()) == 0 ? FileError::None : errorFromErrno(errno);
}

std::optional<FileIdentity> fileIdentity(const ByteText& path) {
    const auto native = nativePath(path);
    struct stat status {};
    if (!native || ::stat(native->c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

FileError flushTogether(const std::vector<const OsFile*>& files) {
    if (const FileError injected = injectedFault(testing::Call::Flush);
        injected != FileError::None) {
        return injected;
    }
    // Every file's writing to the disk is started first, so that the waits
    // of the flushes after it overlap instead of following one another.
    // (A flush of the whole file system would wait for other programs'
    // writes too.)
    for (const OsFile* file : files) {
        file->startWriting();
    }
    for (const OsFile* file : files) {
        if (const FileError flushed = file->flush(); flushed != FileError::None) {
            return flushed;
        }
    }
    return FileError::None;
}

FileError syncFolder(const ByteText& folder) {
    const auto native = folder.empty() ? std::optional<std::string>(".") : nativePath(folder);
    if (!native) {
        return FileError::BadName;
    }
    const int fd = ::open(native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errorFromErrno(errno);
    }
    const OsFile opened(fd);
    // Some file systems cannot sync a folder and say so; what they keep is
    // all there is to keep.
    const FileError flushed = opened.flush();
    return flushed == FileError::Other ? FileError::None : flushed;
}

bool isPlainFile(const ByteText& path) {
    const auto native = nativePath(path);
    struct stat status {};
    return native && ::lstat(native->c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isFolder(const ByteText& path) {
    const auto native = nativePath(path);
    struct stat status {};
    return native && ::stat(native->c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<ByteText> linkTarget(const ByteText& path, FileError& why) {
    why = FileError::None;
    const auto native = nativePath(path);
    struct stat status {};
    if (!native || ::lstat(native->c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(native->c_str(), nullptr),
                                                               &std::free);
    if (!resolved) {
        why = errorFromErrno(errno);
        return std::nullopt;
    }
    // A file whose name the code page cannot hold is never written through
    // the link's own name: that would put a copy in the link's place.
    auto target = utf8ToCodePage(resolved.get());
    if (!target) {
        why = FileError::BadName;
    }
    return target;
}

std::vector<ByteText> folderEntries(const ByteText& folder, std::string_view prefix) {
    std::vector<ByteText> names;
    const auto native = folder.empty() ? std::optional<std::string>(".") : nativePath(folder);
    if (!native) {
        return names;
    }
    const auto closeFolder = [](DIR* folder) { ::closedir(folder); };
    const std::unique_ptr<DIR, decltype(closeFolder)> entries(::opendir(native->c_str()),
                                                              closeFolder);
    if (!entries) {
        return names;
    }
    while (const dirent* entry = ::readdir(entries.get())) {
        const std::string_view name = entry->d_name;
        if (name.starts_with(prefix)) {
            if (auto converted = utf8ToCodePage(std::string(name))) {
                names.push_back(std::move(*converted));
            }
        }
    }
    return names;
}

std::optional<ByteText> executablePath() {
    std::string buffer(256, '\0');
    while (true) {
        const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (got < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(got) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(got));
            return utf8ToCodePage(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool setWorkingDirectory(const ByteText& folder) {
    const auto native = nativePath(folder);
    return native && ::chdir(native->c_str()) == 0;
}

std::vector<std::string> commandLineArguments(int argc, char* argv[]) {
    return {argv, argv + argc};
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void prepareProcess() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void testing::setFaultHook(FaultHook hook) {
    faultHook = hook;
}

}  // namespace juanzhi::platform
