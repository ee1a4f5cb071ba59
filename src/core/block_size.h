#pragma once

#include <cstddef>

namespace juanzhi {

// Books are read, copied and written in blocks of this size; only one block
// of a book is held at once. A fuzzing or test build may shrink it (to a few
// bytes) so that every carry across a block edge is reached.
#ifdef JUANZHI_BLOCK_BYTES
inline constexpr std::size_t BlockBytes = JUANZHI_BLOCK_BYTES;
#else
inline constexpr std::size_t BlockBytes = std::size_t{1} << 20;
#endif

static_assert(BlockBytes >= 4, "a block holds at least a character and a line break");

}  // namespace juanzhi
