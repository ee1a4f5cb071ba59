#pragma once

#include <cstdint>

#include "core/byte_text.h"

namespace juanzhi {

// The one place that knows the platform's folder separator. Paths are
// code-page texts, so separators are found by the character rule: the
// second byte of a pair (such as 81 5C) is never taken for one.

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

ByteText pathSeparator();

bool isPathSeparator(unsigned char byte);

// 1-based position of the last separator in `path`, or -1.
std::int32_t findLastSeparator(const ByteText& path);

// The folder part of a path, without the separator at its end; the empty
// text when the path holds no separator.
ByteText folderOf(const ByteText& path);

// The folder that holds `path`, as a path of its own: "." for a bare name,
// the separator alone for a file in the root folder.
ByteText containingFolder(const ByteText& path);

// `folder`, the separator, `name`.
ByteText joinPath(const ByteText& folder, const ByteText& name);

// A display form of `path` in at most capacity - 1 bytes: unchanged when it
// fits; otherwise its beginning, "..." and the separator with the whole file
// name when that fits, else the beginning of the file name and "...". Never
// cuts between the two bytes of a character.
ByteText compactPath(const ByteText& path, std::int32_t capacity);

}  // namespace juanzhi
