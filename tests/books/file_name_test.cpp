#include "books/file_name.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::raw;

struct NameCase {
    const char* name;
    ByteText title;
    ByteText mended;

    friend void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }
};

class MendedNames : public testing::TestWithParam<NameCase> {};

TEST_P(MendedNames, AreFitForEveryFileSystem) {
    EXPECT_EQ(mendFileName(GetParam().title), GetParam().mended);
}

INSTANTIATE_TEST_SUITE_P(
    FileName, MendedNames,
    testing::Values(NameCase{"Unchanged", gbk("书名 第二部"), gbk("书名 第二部")},
                    NameCase{"ForbiddenBecomeFullWidth", raw("a\\b/c:d*e?f\"g<h>i|j"),
                             gbk("a＼b／c：d＊e？f＂g＜h＞i｜j")},
                    NameCase{"ControlBytesGo", raw("\x01\xCA\xE9\t\xC3\xFB\x7F"), gbk("书名")},
                    NameCase{"BlanksGoFromBothEnds", gbk("　 书 名 　"), gbk("书 名")},
                    NameCase{"DotsGoFromTheEndOnly", gbk(".书名. . 。.."), gbk(".书名. . 。")},
                    NameCase{"OnlyDotsAndBlanks", gbk(" ..　. "), ByteText()},
                    NameCase{"ParentFolderStaysInItsFolder", raw("../../etc/x"),
                             gbk("..／..／etc／x")},
                    // 乗 is 81 5C and 亅 is 81 7C: second bytes are never separators or bars.
                    NameCase{"SecondBytesAreNeverTouched", gbk("乗亅"), gbk("乗亅")},
                    // B0 A1 A1: 啊 and a lone A1, not a full-width space after B0.
                    NameCase{"BlanksAreFoundByCharacters", raw("\xB0\xA1\xA1\xA1\xA1"), gbk("啊")},
                    // A high byte takes the byte after it, even a dot.
                    NameCase{"DotAsSecondByteStays", raw("ab\xB0."), raw("ab\xB0.")},
                    NameCase{"LoneLeadByteAtTheEndGoes", raw("ab\x81"), raw("ab")},
                    NameCase{"Empty", ByteText(), ByteText()}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace juanzhi
