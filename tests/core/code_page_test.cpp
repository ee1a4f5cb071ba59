#include "core/code_page.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace juanzhi {
namespace {

using test::raw;

TEST(CodePage, GbkAndUtf8RoundTrip) {
    const ByteText title = raw("\xA1\xB6\xCA\xE9\xC3\xFB\xA1\xB7 abc");  // 《书名》 abc
    EXPECT_EQ(codePageToUtf8(title), "《书名》 abc");
    EXPECT_EQ(utf8ToCodePage("《书名》 abc"), title);
}

TEST(CodePage, ReachesAllOfUnicode) {
    // Characters outside GBK still make a file name: GB18030 gives them
    // four bytes, and they come back unchanged.
    for (const std::string_view utf8 : {"𠀀.txt", "Ünïcödé ✓ 😀", "乗/第一章"}) {
        const auto codePage = utf8ToCodePage(utf8);
        ASSERT_TRUE(codePage) << utf8;
        EXPECT_EQ(codePageToUtf8(*codePage), utf8);
        const auto utf16 = codePageToUtf16(*codePage);
        ASSERT_TRUE(utf16) << utf8;
        EXPECT_EQ(utf16ToCodePage(*utf16), codePage);
    }
    EXPECT_EQ(codePageToUtf16(raw("\xB5\xDA")), u"第");
}

TEST(CodePage, RefusesWhatCannotBeConverted) {
    EXPECT_FALSE(codePageToUtf8(raw("ab\xB0")));    // cut off after a lead byte
    EXPECT_FALSE(codePageToUtf8(raw("\x81\x20")));  // no GB18030 sequence
    EXPECT_FALSE(codePageToUtf8(raw("\xFF\xFF")));
    EXPECT_FALSE(codePageToUtf16(raw("a\x80")));
    EXPECT_FALSE(utf8ToCodePage("\xFF"));
    EXPECT_FALSE(utf8ToCodePage("\xED\xA0\x80"));               // a UTF-16 surrogate in UTF-8
    EXPECT_FALSE(utf8ToCodePage(std::string_view("a\0b", 3)));  // would end the text early
    EXPECT_FALSE(utf16ToCodePage(std::u16string_view(u"\xD800", 1)));
    EXPECT_FALSE(utf16ToCodePage(std::u16string_view(u"a\0b", 3)));
}

TEST(CodePage, EmptyTextConverts) {
    EXPECT_EQ(codePageToUtf8(ByteText()), "");
    EXPECT_EQ(utf8ToCodePage(""), ByteText());
}

TEST(CodePage, ShownFormsMarkOnlyWhatIsBroken) {
    // 第, a pair with no character, a lone lead byte cut off at the end.
    const ByteText damaged = raw("\xB5\xDA\x81\x20x\xB0");
    EXPECT_EQ(codePageToUtf8Shown(damaged), "第\uFFFDx\uFFFD");
    EXPECT_EQ(codePageToUtf16Shown(damaged), u"第\uFFFDx\uFFFD");
    EXPECT_EQ(codePageToUtf8Shown(raw("\xCA\xE9")), "书");
}

}  // namespace
}  // namespace juanzhi
