#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/byte_text.h"
#include "core/platform.h"

namespace juanzhi {

// A handle naming one entry of the table of open files; 0 names none and is
// what a failed open returns. Every operation on a handle that names no open
// file does nothing and gives its no-file result.
using TextFile = std::int32_t;

enum class OpenMode : int {
    Read = 1,       // read only; the file must exist
    ReadWrite = 3,  // read and write; the file must exist
    Rewrite = 4,    // write only; created, or emptied at once
    Modify = 5,     // write only; created, or kept as it is
};

// How many bytes the merge and the replace ask for to read a whole book.
inline constexpr std::int32_t MaxReadBytes = 20000000;

// Reading stops in front of these and leaves the position on them.
inline constexpr unsigned char StopByteNul = 0x00;
inline constexpr unsigned char StopByteSub = 0x1A;

constexpr bool isStopByte(unsigned char byte) {
    return byte == StopByteNul || byte == StopByteSub;
}

// The length of the text in front of the first stop in `bytes`, whose first
// byte starts a character: a stop byte where a character starts, or a NUL
// after a lead byte, which ends the text in front of that lead. The whole
// size when there is none.
std::size_t textLengthBeforeStop(std::string_view bytes);

// Files are raw bytes: nothing is translated and nothing is buffered, so a
// write through one handle is seen at once by a read through another.
// Positions are byte offsets from the start of the file, 0 after every open.

// A new handle, or 0 when the path is empty or the OS refuses the open. An
// open never shuts out other openers of the same file.
TextFile openFile(const ByteText& path, OpenMode mode);
// The same, also saying why an open failed (FileError::None when it did not).
TextFile openFile(const ByteText& path, OpenMode mode, platform::FileError& why);

void closeFile(TextFile file);

// The next line without its line end: it ends at LF (consumed), at a stop
// byte (not consumed) or at the end of the file; one CR at its end is
// dropped. Walks by characters, so the second byte of a pair ends nothing.
// No file: the empty text.
ByteText readLine(TextFile file);

// At most `count` bytes from the position, cut in front of the first stop
// byte (the position is left on it). No file, or count <= 0: the empty text.
ByteText readText(TextFile file, std::int32_t count);

// Writes the bytes at the position, overwriting and growing the file.
// No file or a failed write: false, with the position where it was.
bool writeText(TextFile file, const ByteText& text);

// Inserts the text and CR LF at the position, moving the rest of the file
// down; the position ends just past the inserted line. No file, or no room
// for the longer file (a full disk): false, and the file is as it was.
bool insertLine(TextFile file, const ByteText& text);
// The same, also saying why an insertion failed.
bool insertLine(TextFile file, const ByteText& text, platform::FileError& why);

// No file: false.
bool seekToEnd(TextFile file);

// No file: -1.
std::int32_t filePosition(TextFile file);

// True at or past the end of the file, and, with `stopByteIsEnd`, also on a
// stop byte. No file: true.
bool atEndOfFile(TextFile file, bool stopByteIsEnd = false);

// True when the file now has the new path. Never replaces an existing file;
// a file renamed onto its own path stays as it is.
bool renameFile(const ByteText& oldPath, const ByteText& newPath);

// The folder of the running program, without a separator at its end; the
// empty text when it cannot be found or expressed in the code page.
ByteText programDirectory();

}  // namespace juanzhi
