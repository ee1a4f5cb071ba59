#pragma once

// The one door to the operating system. Callers never see an OS call; each
// platform has its own implementation file of the same shape
// (platform_posix.cpp, and beside it one for Windows). Paths arrive as
// code-page text and are converted for the OS inside the implementation.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"

namespace juanzhi::platform {

enum class Access { ReadOnly, WriteOnly, ReadWrite };

enum class Creation {
    MustExist,         // fails on a missing file
    CreateOrTruncate,  // a missing file is created, an existing one emptied
    CreateOrKeep,      // a missing file is created, an existing one kept
    CreateNew,         // fails with AlreadyExists on an existing file
};

// Why an OS call failed, in the few kinds a user can act on.
enum class FileError {
    None,
    NotFound,       // no such file or folder
    AlreadyExists,  // the target of a rename exists
    AccessDenied,   // no permission, read-only, or locked by another program
    IsFolder,       // the path names a folder
    NotAFile,       // the path names a pipe, a device or a socket
    BadName,        // a name the OS or the code page cannot hold
    DiskFull,
    Busy,  // another writer (another run of this program) holds it
    Other,
};

// What makes a file itself, whatever path or link names it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t node = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// An open file of the OS, closed when destroyed. Every read and write goes
// to the OS at once, at an explicit offset; nothing is buffered here.
class OsFile {
  public:
    using NativeHandle = std::intptr_t;

    OsFile() = default;
    explicit OsFile(NativeHandle handle) : handle_(handle) {}
    ~OsFile();
    OsFile(OsFile&& other) noexcept;
    OsFile& operator=(OsFile&& other) noexcept;
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;

    // Up to `count` bytes at `offset`: the number read (0 at the end of the
    // file), or nothing when the OS refused.
    std::optional<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t count) const;
    // All the bytes at `offset`, or why not; bytes written before a failure
    // stay in the file.
    FileError writeAt(std::int64_t offset, std::string_view bytes) const;
    // The file's length as it is now.
    std::optional<std::int64_t> length() const;
    std::optional<FileIdentity> identity() const;
    // Cuts or extends the file to `length` bytes.
    bool truncate(std::int64_t length) const;
    // Returns once everything written has reached the disk.
    FileError flush() const;
    // Starts writing what was written to the disk, without waiting for it;
    // a later flush then waits less. Where the system cannot, nothing.
    void startWriting() const;
    // Gives this file the permissions (and, where allowed, the owner) of
    // `other`, so a file written to take its place is treated alike.
    FileError adoptPermissions(const OsFile& other) const;
    // Takes the writer's lock of the file without waiting: None, or Busy
    // while another handle holds it. The lock belongs to this handle alone
    // (closing another handle of the same file leaves it) and ends when the
    // handle is closed. Readers are never shut out by it.
    FileError tryLock() const;

  private:
    static constexpr NativeHandle NoHandle = -1;
    NativeHandle handle_ = NoHandle;
};

struct OpenResult {
    std::optional<OsFile> file;
    FileError error = FileError::None;
};

// Opens a file without shutting out any other reader or writer of it, nor
// a rename over it: a book is replaced while it is still open for reading.
// A path that names a folder, a pipe or a device is refused at once. A
// refused open creates nothing.
OpenResult openFile(const ByteText& path, Access access, Creation creation);

// Gives the file at `from` the path `to` in one step, never replacing an
// existing file; a file renamed onto its own path stays as it is.
FileError renameNoReplace(const ByteText& from, const ByteText& to);

// Gives the file at `from` the path `to` in one step; an existing file at
// `to` is replaced, so a reader sees either the old or the new file whole.
// A symbolic link at `to` is itself replaced, never the file it points to.
// The file at `from` may still be open through this program's handles.
FileError renameReplacing(const ByteText& from, const ByteText& to);

FileError removeFile(const ByteText& path);

// Returns once everything written to each of `files` has reached the disk,
// waiting once for the lot where the system allows it.
FileError flushTogether(const std::vector<const OsFile*>& files);

// Makes the latest renames into `folder` last through a power cut. (On
// systems that keep a name with its file there is nothing to do.)
FileError syncFolder(const ByteText& folder);

// The identity of the existing file at `path`, or nothing when there is none.
std::optional<FileIdentity> fileIdentity(const ByteText& path);

// Whether `path` names a folder (following links).
bool isFolder(const ByteText& path);

// Whether `path` itself names a regular file: not a link, folder, pipe or
// device.
bool isPlainFile(const ByteText& path);

// The path of the file that `path` names once every symbolic link on the
// way is followed: where a change to the file itself must be written. The
// path as given when it names no link; nothing, and why, when it names a
// link whose file cannot be found or named.
std::optional<ByteText> linkTarget(const ByteText& path, FileError& why);

// The names (not paths) of the entries of `folder` that start with
// `prefix`; nothing when the folder cannot be read.
std::vector<ByteText> folderEntries(const ByteText& folder, std::string_view prefix);

// The full path of the running program's own file.
std::optional<ByteText> executablePath();

bool setWorkingDirectory(const ByteText& folder);

// The program's command-line arguments in UTF-8, the program's name first.
// Windows hands main() its arguments in the ANSI code page, so there they
// are asked of the OS in UTF-16 instead.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// Whether standard error goes to a terminal, where a line may be redrawn.
bool standardErrorIsTerminal();

// Sets the process up so that limits end in reported failures rather than
// signals: a write past the largest file allowed fails with its error.
void prepareProcess();

// For tests only: a function called before each write, truncation, flush,
// rename, removal and lock of the OS door. It may shorten `bytes` (a write that
// stops partway), end the process, or return an error that the call then
// reports as the OS's. No hook is set outside tests.
namespace testing {
enum class Call { Write, Truncate, Flush, Rename, Remove, Lock };
using FaultHook = FileError (*)(Call call, std::size_t& bytes);
void setFaultHook(FaultHook hook);
}  // namespace testing

}  // namespace juanzhi::platform
