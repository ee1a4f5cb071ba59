#include "books/title.h"

namespace juanzhi {

namespace {

const ByteText OpeningAngle("\xA1\xB6");  // 《
const ByteText ClosingAngle("\xA1\xB7");  // 》
const ByteText OpeningBracket("[");
const ByteText Slash("/");

}  // namespace

TitleStyle detectTitleStyle(const ByteText& firstLine) {
    if (findText(firstLine, OpeningBracket) != -1) {
        return TitleStyle::Bracketed;
    }
    if (findText(firstLine, OpeningAngle) == -1) {
        return TitleStyle::PlainLine;
    }
    return TitleStyle::AngleQuoted;
}

ByteText extractTitle(const ByteText& firstLine, TitleStyle style) {
    switch (style) {
        case TitleStyle::PlainLine:
            return firstLine;
        case TitleStyle::AngleQuoted: {
            const std::int32_t open = findText(firstLine, OpeningAngle);
            const std::int32_t close = findTextReverse(firstLine, ClosingAngle);
            return midText(firstLine, open + 2, close - open - 2);
        }
        case TitleStyle::Bracketed: {
            // The byte in front of the slash is dropped: in "[Title]/Author"
            // it is the closing bracket.
            const std::int32_t open = findText(firstLine, OpeningBracket);
            const std::int32_t slash = findTextReverse(firstLine, Slash);
            return midText(firstLine, open + 1, slash - open - 2);
        }
    }
    return {};
}

}  // namespace juanzhi
