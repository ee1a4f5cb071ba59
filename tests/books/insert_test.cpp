#include "books/insert.h"

#include <gtest/gtest.h>

#include <string>

#include "support/child_process.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::gbkBytes;
using test::readAll;
using test::TempFolder;

struct InsertCase {
    const char* name;
    std::string book;
    InsertPlaces places;
    const char* content;  // UTF-8
    std::string after;

    friend void PrintTo(const InsertCase& c, std::ostream* out) { *out << c.name; }
};

class InsertRules : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertRules, InsertsTheContentAsALine) {
    const InsertCase& c = GetParam();
    const TempFolder folder;
    const ByteText book = folder.book("book.txt", c.book);

    EXPECT_TRUE(insertIntoBooks({book}, c.places, gbk(c.content)).empty());
    EXPECT_EQ(readAll(book), c.after);
}

constexpr InsertPlaces Both{true, true};
constexpr InsertPlaces SecondLine{true, false};
constexpr InsertPlaces EndOfFile{false, true};
constexpr InsertPlaces Neither{false, false};

INSTANTIATE_TEST_SUITE_P(
    Insert, InsertRules,
    testing::Values(InsertCase{"BothPlaces", gbkBytes("标题\r\n正文\r\n"), Both, "本书来自网络",
                               gbkBytes("标题\r\n本书来自网络\r\n正文\r\n\r\n本书来自网络\r\n")},
                    InsertCase{"SecondLine", gbkBytes("标题\r\n正文\r\n"), SecondLine,
                               "本书来自网络", gbkBytes("标题\r\n本书来自网络\r\n正文\r\n")},
                    InsertCase{"EndOfFile", gbkBytes("标题\r\n正文\r\n"), EndOfFile, "本书来自网络",
                               gbkBytes("标题\r\n正文\r\n\r\n本书来自网络\r\n")},
                    InsertCase{"Neither", gbkBytes("标题\r\n正文\r\n"), Neither, "本书来自网络",
                               gbkBytes("标题\r\n正文\r\n")},
                    InsertCase{"NoFinalLineBreak", gbkBytes("标题\r\n正文"), EndOfFile, "完",
                               gbkBytes("标题\r\n正文\r\n完\r\n")},
                    InsertCase{"OneLineWithoutABreak", gbkBytes("标题"), SecondLine, "完",
                               gbkBytes("标题完\r\n")},
                    InsertCase{"OneLineBothPlaces", gbkBytes("标题"), Both, "完",
                               gbkBytes("标题完\r\n\r\n完\r\n")},
                    InsertCase{"EmptyContent", gbkBytes("标题\r\n正文"), Both, "",
                               gbkBytes("标题\r\n\r\n正文\r\n\r\n")},
                    InsertCase{"SeveralLines", gbkBytes("标题\r\n正文"), SecondLine, "甲\r\n乙",
                               gbkBytes("标题\r\n甲\r\n乙\r\n正文")},
                    InsertCase{"EmptyBook", "", Both, "完", gbkBytes("完\r\n\r\n完\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InsertIntoBooks, BooksThatCannotBeOpenedAreReportedAndTheOthersDone) {
    const TempFolder folder;
    const ByteText gone = folder.codePagePath("gone.txt");
    const ByteText book = folder.book("book.txt", "a");
    const ByteText folderAsBook = folder.codePagePath("");

    const std::vector<Failure> failures =
        insertIntoBooks({gone, book, folderAsBook}, EndOfFile, gbk("完"));

    EXPECT_EQ(failures,
              (std::vector<Failure>{{gone, Problem::NotFound}, {folderAsBook, Problem::IsFolder}}));
    EXPECT_EQ(readAll(book), gbkBytes("a\r\n完\r\n"));
}

TEST(InsertIntoBooks, AFullDiskIsReportedAndLeavesTheBookWhole) {
    const TempFolder folder;
    const std::string original = gbkBytes("标题\r\n") + std::string(3000, 'a');
    const ByteText book = folder.book("book.txt", original);
    const int exitCode = test::withFileSizeLimit(original.size() + 2, [&] {
        const auto failures = insertIntoBooks({book}, SecondLine, gbk("完"));
        return failures == std::vector<Failure>{{book, Problem::DiskFull}} ? 0 : 1;
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(book), original);
}

}  // namespace
}  // namespace juanzhi
