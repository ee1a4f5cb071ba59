#include "core/byte_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/gbk.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::raw;

TEST(ByteText, EndsBeforeTheFirstNul) {
    EXPECT_EQ(ByteText(std::string_view("ab\0cd", 5)).bytes(), "ab");
    EXPECT_EQ(ByteText::fromBuffer(std::string("\0x", 2)).bytes(), "");
    EXPECT_EQ(textLength(gbk("第一章")), 6);
}

struct SearchCase {
    const char* name;
    ByteText text;
    ByteText pattern;
    std::int32_t first;
    std::int32_t last;

    friend void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, FindsOnlyAtCharacterStarts) {
    const SearchCase& c = GetParam();
    EXPECT_EQ(findText(c.text, c.pattern), c.first);
    EXPECT_EQ(findTextReverse(c.text, c.pattern), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    ByteText, Search,
    testing::Values(
        // BF D5 C2 B7: D5 C2 ("章") straddles the two characters 空 and 路.
        SearchCase{"StraddlingPair", raw("\xBF\xD5\xC2\xB7"), gbk("章"), -1, -1},
        SearchCase{"SecondByteIsNoBracket", raw("\x81\x5B"), raw("["), -1, -1},
        SearchCase{"SecondByteIsNoBackslash", raw("a\\\x81\\"), raw("\\"), 2, 2},
        SearchCase{"ChapterHeading", gbk("第一章"), gbk("章"), 5, 5},
        SearchCase{"FirstAndLastAngle", gbk("《甲》《乙》"), gbk("》"), 5, 11},
        SearchCase{"OverlappingFromTheBack", raw("///"), raw("//"), 1, 2},
        SearchCase{"LoneHighByteAtTheEnd", raw("a\xB0"), raw("\xB0"), 2, 2},
        SearchCase{"PatternLongerThanText", raw("ab"), raw("abc"), -1, -1},
        SearchCase{"PatternInEmptyText", ByteText(), raw("a"), -1, -1},
        SearchCase{"EmptyPattern", raw("abc"), ByteText(), 1, 1},
        SearchCase{"EmptyPatternInEmptyText", ByteText(), ByteText(), -1, -1},
        SearchCase{"LatinCaseKeptApart", raw("ABCabc"), raw("abc"), 4, 4}),
    [](const auto& info) { return info.param.name; });

TEST(ByteText, LeftTextCutsByBytesAndClamps) {
    const ByteText text = raw("\xB5\xDA\xD5\xC2");  // 第章
    EXPECT_EQ(leftText(text, 3), raw("\xB5\xDA\xD5"));
    EXPECT_EQ(leftText(text, 4), text);
    EXPECT_EQ(leftText(text, 99), text);
    EXPECT_EQ(leftText(text, 0), ByteText());
    EXPECT_EQ(leftText(text, -1), ByteText());
    // With the position of a backslash found by the character rule.
    const ByteText path = raw("a\\\x81\\");
    EXPECT_EQ(leftText(path, findTextReverse(path, raw("\\"))), raw("a\\"));
}

TEST(ByteText, MidTextCutsByBytesAndClamps) {
    const ByteText text = raw("abcdef");
    struct Case {
        std::int32_t start;
        std::int32_t length;
        const char* expected;
    };
    for (const Case& c : {Case{2, 3, "bcd"}, Case{0, 3, ""}, Case{-1, 5, ""}, Case{7, 1, ""},
                          Case{6, 1, "f"}, Case{5, 10, "ef"}, Case{1, 0, ""}, Case{1, -3, ""}}) {
        EXPECT_EQ(midText(text, c.start, c.length), raw(c.expected))
            << "start " << c.start << ", length " << c.length;
    }
}

struct ReplaceCase {
    const char* name;
    ByteText text;
    ByteText search;
    ByteText replacement;
    ByteText expected;

    friend void PrintTo(const ReplaceCase& c, std::ostream* out) { *out << c.name; }
};

class Replace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, ReplacesLeftToRightWithoutOverlap) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(replaceAll(c.text, c.search, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ByteText, Replace,
    testing::Values(
        ReplaceCase{"NoOverlap", raw("aaa"), raw("aa"), raw("b"), raw("ba")},
        ReplaceCase{"ReplacementNotSearchedAgain", raw("aa"), raw("a"), raw("aa"), raw("aaaa")},
        ReplaceCase{"RemovesLineBreaksOnly", raw("a\r\nb\rc\nd\r\n"), raw("\r\n"), ByteText(),
                    raw("ab\rc\nd")},
        ReplaceCase{"EmptySearch", raw("abc"), ByteText(), raw("x"), raw("abc")},
        ReplaceCase{"EmptyText", ByteText(), raw("a"), raw("x"), ByteText()},
        ReplaceCase{"StraddlingPairUntouched", raw("\xBF\xD5\xC2\xB7"), gbk("章"), raw("x"),
                    raw("\xBF\xD5\xC2\xB7")},
        ReplaceCase{"TrailingHighByteKept", raw("ab\xB0"), raw("b"), raw("c"), raw("ac\xB0")},
        ReplaceCase{"CaseKeptApart", raw("ABC abc"), raw("abc"), raw("x"), raw("ABC x")},
        ReplaceCase{"SeveralLines", gbk("第一章\r\n正文\r\n第一章\r\n"), gbk("第一章\r\n正文"),
                    gbk("序"), gbk("序\r\n第一章\r\n")},
        ReplaceCase{"Deletes", gbk("甲乙甲丙"), gbk("甲"), ByteText(), gbk("乙丙")}),
    [](const auto& info) { return info.param.name; });

TEST(ByteText, ReplaceAllBytesKeepsNulBytes) {
    // A lead byte takes the NUL after it as its second byte.
    const std::string book(
        "a\0b\xB0\0"
        "a",
        6);
    EXPECT_EQ(replaceAllBytes(book, "a", "xy"), std::string("xy\0b\xB0\0"
                                                            "xy",
                                                            8));
}

// The searches as the character rule states them, one character at a time.
std::int32_t referenceFind(std::string_view text, std::string_view pattern, bool last) {
    std::int32_t found = -1;
    for (std::size_t at = 0; text.size() - at >= pattern.size() && at < text.size();
         at += (static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size())
                   ? std::size_t{2}
                   : std::size_t{1}) {
        if (text.substr(at, pattern.size()) == pattern) {
            found = static_cast<std::int32_t>(at + 1);
            if (!last) {
                break;
            }
        }
    }
    return found;
}

std::string referenceReplace(std::string_view text, std::string_view search,
                             std::string_view replacement) {
    std::string result;
    std::size_t at = 0;
    while (text.size() - at >= search.size()) {
        if (text.substr(at, search.size()) == search) {
            result += replacement;
            at += search.size();
        } else {
            const std::size_t length =
                (static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size()) ? 2 : 1;
            result += text.substr(at, length);
            at += length;
        }
    }
    result += text.substr(at);
    return result;
}

// Random texts over a few bytes that make lead bytes, second bytes that look
// like markers, and straddling matches common. Texts come in runs of high
// bytes only, low bytes only or both, as Chinese text, ASCII and a mix do.
TEST(ByteText, SearchesAgreeWithTheCharacterRuleOnRandomTexts) {
    std::mt19937 random(20261211);
    const std::string alphabet = "a\\[\x81\xB0\xD5\xC2";
    const std::string low = "a\\[";
    const std::string high = "\x81\xB0\xD5\xC2";
    const auto randomText = [&](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        const std::string* run = &alphabet;
        for (char& c : text) {
            if (random() % 12 == 0) {
                const std::string* kinds[] = {&alphabet, &low, &high};
                run = kinds[random() % 3];
            }
            c = (*run)[random() % run->size()];
        }
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(100);
        const std::string pattern = randomText(3);
        if (pattern.empty()) {
            continue;
        }
        const std::string replacement = randomText(2);
        SCOPED_TRACE(testing::PrintToString(text) + " / " + testing::PrintToString(pattern));
        ASSERT_EQ(findText(ByteText(text), ByteText(pattern)), referenceFind(text, pattern, false));
        ASSERT_EQ(findTextReverse(ByteText(text), ByteText(pattern)),
                  referenceFind(text, pattern, true));
        ASSERT_EQ(replaceAll(ByteText(text), ByteText(pattern), ByteText(replacement)).bytes(),
                  referenceReplace(text, pattern, replacement));
    }
}

TEST(ByteText, ConcatTextsJoinsInOrder) {
    EXPECT_EQ(concatTexts(raw("D:"), raw("\\"), ByteText(), gbk("书名"), raw(".txt")),
              gbk("D:\\书名.txt"));
}

TEST(ByteText, CompareTextOrdersUnsignedBytes) {
    EXPECT_EQ(compareText(raw("   "), ByteText()), 1);
    EXPECT_EQ(compareText(raw("ab"), raw("abc")), -1);
    EXPECT_EQ(compareText(raw("abc"), raw("ab")), 1);
    EXPECT_EQ(compareText(ByteText(), ByteText()), 0);
    EXPECT_EQ(compareText(raw("\xB0"), raw("a")), 1);  // 0xB0 above 0x61, not negative
}

TEST(ByteText, NumberToTextWritesPlainDecimals) {
    EXPECT_EQ(numberToText(0), raw("0"));
    EXPECT_EQ(numberToText(10), raw("10"));
    EXPECT_EQ(numberToText(-7), raw("-7"));
    EXPECT_EQ(numberToText(1.0), raw("1"));
    EXPECT_EQ(numberToText(3.0), raw("3"));
    EXPECT_EQ(numberToText(2.5), raw("2.5"));
    EXPECT_EQ(numberToText(1234567890123.0), raw("1234567890123"));
    EXPECT_EQ(numberToText(0.1 + 0.2), raw("0.3"));  // 13 significant digits
}

TEST(ByteText, TextToNumberReadsTheLeadingNumber) {
    struct Case {
        ByteText text;
        double expected;
    };
    for (const Case& c :
         {Case{raw("0"), 0}, Case{raw("12"), 12}, Case{ByteText(), 0}, Case{raw("abc"), 0},
          Case{raw("\xA3\xB1\xA3\xB2"), 12},  // full-width 12
          Case{gbk("3.5页"), 3.5}, Case{raw(" 4"), 4}, Case{raw("\xA1\xA1\t-2"), -2},
          Case{raw("+7.25e2x"), 725}, Case{raw("1d3"), 1000}, Case{raw("5e"), 5},
          Case{raw(".5"), 0.5}, Case{raw("-"), 0}, Case{raw("1e999"), HUGE_VAL}}) {
        EXPECT_EQ(textToNumber(c.text), c.expected) << testing::PrintToString(c.text.bytes());
    }
}

TEST(ByteText, CounterRoundTrips) {
    ByteText counter = raw("0");
    for (int i = 0; i < 3; ++i) {
        counter = numberToText(textToNumber(counter) + 1);
    }
    EXPECT_EQ(counter, raw("3"));
}

}  // namespace
}  // namespace juanzhi
