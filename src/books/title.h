#pragma once

#include "core/byte_text.h"

namespace juanzhi {

// The header style of a book's first line.
enum class TitleStyle : int {
    PlainLine = 1,    // no "[" and no "《": the whole line is the title
    AngleQuoted = 2,  // "《" and no "[": the title lies between the first "《" and the last "》"
    Bracketed = 3,    // "[" anywhere: the title lies between the first "[" and the last "/"
};

TitleStyle detectTitleStyle(const ByteText& firstLine);

// The title of `firstLine` in the style that detectTitleStyle gave for it;
// the empty text when a closing mark is missing or stands before the
// opening one, and for any other style value.
ByteText extractTitle(const ByteText& firstLine, TitleStyle style);

}  // namespace juanzhi
