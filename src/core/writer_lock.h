#pragma once

#include <chrono>

#include "core/byte_text.h"
#include "core/platform.h"

namespace juanzhi {

// How long a writer waits for another writer of the same file (another run
// of this program, or its other window) before it reports the file in use.
inline constexpr std::chrono::milliseconds WriterPatience{3000};

// Opens the existing file at `path` and takes its writer's lock, waiting up
// to `patience` while another writer holds it (FileError::Busy when it does
// not let go). The lock is held on the file that `path` names at the moment
// it is taken: a file put in its place meanwhile, such as another writer's
// finished work, is opened afresh, so a change is never made to a version
// that has already been replaced. Readers are never shut out.
platform::OpenResult openForWriting(const ByteText& path, platform::Access access,
                                    std::chrono::milliseconds patience = WriterPatience);

}  // namespace juanzhi
