#pragma once

#include <optional>
#include <string_view>

#include "core/byte_text.h"
#include "core/platform.h"

namespace juanzhi {

// Why a book (or a file made from it) could not be handled, in the few kinds
// a reader can act on.
enum class Problem {
    NotFound,          // the file is gone
    NoAccess,          // no permission, or another program holds it
    CannotRead,        // any other read failure
    NoTitle,           // the first line gives no title
    NameTaken,         // a file with the new name exists
    BadName,           // a name the file system cannot hold
    DiskFull,          // no room left
    CannotWrite,       // any other write failure
    CannotRename,      // any other rename failure
    PieceWouldBeBook,  // a split piece would overwrite the book being split
    NotPlainText,      // NUL or end-of-text bytes inside: not a GBK text
    TextNotSavable,    // a typed text the code page cannot hold
    InUse,             // another run of this program is changing it
    IsFolder,          // a folder was given where a book belongs
    NotAFile,          // a pipe, device or socket was given where a book belongs
    OutOfMemory,       // the job needed more memory than there was
};

// One book or file that an operation could not handle.
struct Failure {
    ByteText path;
    Problem problem;

    friend bool operator==(const Failure&, const Failure&) = default;
};

// A short reason in plain Chinese, as UTF-8 for whichever front end shows it.
std::string_view problemText(Problem problem);

// What an OS refusal means for a reader, by what was being done.
Problem readProblem(platform::FileError error);
Problem writeProblem(platform::FileError error);
Problem renameProblem(platform::FileError error);

}  // namespace juanzhi
