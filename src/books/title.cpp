#include "books/title.h"

#include <optional>

namespace juanzhi {

namespace {

const ByteText OpeningAngle("\xA1\xB6");  // 《
const ByteText ClosingAngle("\xA1\xB7");  // 》
const ByteText OpeningBracket("[");
const ByteText ClosingBracket("]");
const ByteText Slash("/");

// The text after `from` (a 1-based position) up to the first `closing`
// there; nothing when there is no such closing mark or nothing lies between.
std::optional<ByteText> enclosedAfter(const ByteText& line, std::int32_t from,
                                      const ByteText& closing) {
    const ByteText rest = midText(line, from, textLength(line) - from + 1);
    const std::int32_t close = findText(rest, closing);
    if (close <= 1) {
        return std::nullopt;
    }
    return leftText(rest, close - 1);
}

// The text between the first "《" and the first "》" after it: the title of
// "《书名》作者：某人", and of "《书名》作者《续》" too.
std::optional<ByteText> angleTitle(const ByteText& line) {
    const std::int32_t open = findText(line, OpeningAngle);
    if (open == -1) {
        return std::nullopt;
    }
    return enclosedAfter(line, open + textLength(OpeningAngle), ClosingAngle);
}

// "[书名]/作者", whatever follows the author.
std::optional<ByteText> bracketedTitleWithAuthor(const ByteText& line) {
    const std::int32_t open = findText(line, OpeningBracket);
    const auto title = enclosedAfter(line, open + 1, ClosingBracket);
    if (!title) {
        return std::nullopt;
    }
    const std::int32_t afterTitle = open + 1 + textLength(*title) + 1;
    if (midText(line, afterTitle, 1).bytes() != Slash.bytes()) {
        return std::nullopt;
    }
    return title;
}

// The bracketed style read by its marks: "[书名]/作者"; else a title in
// angle quotes elsewhere in the line ("《书名》[精校版]"); else "[书名/作者"
// up to the slash; else "[书名]". The byte rule (up to two bytes in front of
// the last "/") reads only the first of these right: it cuts "[书名]/作者/译者"
// to "书名]/作" and finds nothing in "《书名》[精校版]".
ByteText bracketedTitle(const ByteText& line) {
    if (auto title = bracketedTitleWithAuthor(line)) {
        return *title;
    }
    if (auto title = angleTitle(line)) {
        return *title;
    }
    const std::int32_t open = findText(line, OpeningBracket);
    if (auto title = enclosedAfter(line, open + 1, Slash)) {
        if (findText(*title, ClosingBracket) == -1) {
            return *title;
        }
    }
    return enclosedAfter(line, open + 1, ClosingBracket).value_or(ByteText());
}

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
        case TitleStyle::AngleQuoted:
            return angleTitle(firstLine).value_or(ByteText());
        case TitleStyle::Bracketed:
            return bracketedTitle(firstLine);
    }
    return {};
}

}  // namespace juanzhi
