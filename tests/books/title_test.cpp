#include "books/title.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::raw;

struct TitleCase {
    const char* name;
    ByteText line;
    TitleStyle style;
    ByteText title;

    friend void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.name; }
};

class Titles : public testing::TestWithParam<TitleCase> {};

TEST_P(Titles, RecognisesTheStyleAndTakesTheTitle) {
    const TitleCase& c = GetParam();
    const TitleStyle style = detectTitleStyle(c.line);
    EXPECT_EQ(style, c.style);
    EXPECT_EQ(extractTitle(c.line, style), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Title, Titles,
    testing::Values(
        TitleCase{"AngleQuoted", gbk("《书名》作者：某人"), TitleStyle::AngleQuoted, gbk("书名")},
        // The title ends at the first closing mark, not the last.
        TitleCase{"TwoAnglePairs", gbk("《甲》《乙》"), TitleStyle::AngleQuoted, gbk("甲")},
        TitleCase{"SequelAfterAuthor", gbk("《书名》作者《续》"), TitleStyle::AngleQuoted,
                  gbk("书名")},
        TitleCase{"AngleNotClosed", gbk("《书名"), TitleStyle::AngleQuoted, ByteText()},
        TitleCase{"AngleClosedBeforeOpened", gbk("》书《名"), TitleStyle::AngleQuoted, ByteText()},
        TitleCase{"Bracketed", gbk("[书名]/作者"), TitleStyle::Bracketed, gbk("书名")},
        TitleCase{"BracketedWithTranslator", gbk("[书名]/作者/译者"), TitleStyle::Bracketed,
                  gbk("书名")},
        // Never half a character: the title runs up to the slash.
        TitleCase{"BracketedWithoutClosingBracket", gbk("[书名/作者"), TitleStyle::Bracketed,
                  gbk("书名")},
        TitleCase{"AngleBeforeEdition", gbk("《书名》[精校版]"), TitleStyle::Bracketed,
                  gbk("书名")},
        TitleCase{"EditionBeforeAngle", gbk("[精校版]《书名》"), TitleStyle::Bracketed,
                  gbk("书名")},
        TitleCase{"BracketsAlone", gbk("[书名]"), TitleStyle::Bracketed, gbk("书名")},
        TitleCase{"BracketWithoutSlash", gbk("[书名"), TitleStyle::Bracketed, ByteText()},
        TitleCase{"EmptyBrackets", gbk("[]/作者"), TitleStyle::Bracketed, ByteText()},
        TitleCase{"BracketWinsOverAngle", gbk("《甲》[乙]/丙"), TitleStyle::Bracketed, gbk("乙")},
        TitleCase{"PlainKeepsBlanks", gbk("  斗破苍穹 "), TitleStyle::PlainLine,
                  gbk("  斗破苍穹 ")},
        TitleCase{"EmptyLine", ByteText(), TitleStyle::PlainLine, ByteText()},
        // 81 5B is one character: its 5B is no "[".
        TitleCase{"SecondByteIsNoBracket",
                  raw("\x81\x5B"
                      "ab"),
                  TitleStyle::PlainLine,
                  raw("\x81\x5B"
                      "ab")},
        TitleCase{"SecondByteIsNoBracketBesideAngle",
                  raw("\x81\x5B\xA1\xB6"
                      "ab\xA1\xB7"),
                  TitleStyle::AngleQuoted, raw("ab")}),
    [](const auto& info) { return info.param.name; });

TEST(Title, UnknownStyleGivesTheEmptyText) {
    EXPECT_EQ(extractTitle(gbk("《书名》"), static_cast<TitleStyle>(0)), ByteText());
}

}  // namespace
}  // namespace juanzhi
