#pragma once

#include "core/byte_text.h"

namespace juanzhi {

// The header style of a book's first line.
enum class TitleStyle : int {
    PlainLine = 1,    // no "[" and no "《": the whole line is the title
    AngleQuoted = 2,  // "《" and no "[": "《书名》作者：某人"
    Bracketed = 3,    // "[" anywhere: "[书名]/作者"
};

TitleStyle detectTitleStyle(const ByteText& firstLine);

// The title of `firstLine` in the style that detectTitleStyle gave for it:
// the whole line; the text between the first "《" and the first "》" after
// it; or, for a line with "[", the title its marks make clear: "[书名]/作者"
// (whatever follows), else a title in angle quotes ("《书名》[精校版]"), else
// "[书名/作者" up to its slash, else "[书名]". The empty text when the marks
// enclose nothing, and for any other style value.
ByteText extractTitle(const ByteText& firstLine, TitleStyle style);

}  // namespace juanzhi
