#pragma once

#include "core/byte_text.h"

namespace juanzhi {

// A title made fit to be a file name on every platform alike, so that books
// stay portable: each of \ / : * ? " < > | becomes its full-width form (A3
// and the byte plus 0x80, such as "：" for ":"), control bytes go, blanks
// (the full-width space A1 A1 included) go from both ends and dots from the
// end, and a lead byte left without its second byte at the end goes.
// Characters are found by the character rule, so the second byte of a pair
// is never touched. The result never names another folder; it may be empty.
ByteText mendFileName(const ByteText& title);

}  // namespace juanzhi
