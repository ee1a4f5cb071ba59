#include "books/insert.h"

#include <sys/stat.h>

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
    // A pipe would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(folder.file("pipe.txt").c_str(), 0600), 0);
    const ByteText pipe = folder.codePagePath("pipe.txt");

    const std::vector<Failure> failures =
        insertIntoBooks({gone, book, folderAsBook, pipe}, EndOfFile, gbk("完"));

    EXPECT_EQ(failures, (std::vector<Failure>{{gone, Problem::NotFound},
                                              {folderAsBook, Problem::IsFolder},
                                              {pipe, Problem::NotAFile}}));
    EXPECT_EQ(readAll(book), gbkBytes("a\r\n完\r\n"));
}

TEST(InsertIntoBooks, BooksThatAreNoPlainTextAreLeftAloneAndReported) {
    const TempFolder folder;
    const std::vector<std::string> notText{
        std::string("\xFF\xFE\x07\x96\r\0\n\0", 8),  // UTF-16
        std::string("title\r\nbody\0more", 16),
        std::string("\x7F"
                    "ELF\0\0\0\0",
                    8),
        std::string("text\x1A"
                    "after the mark",
                    19),
    };
    std::vector<ByteText> paths;
    std::vector<Failure> expected;
    for (std::size_t i = 0; i < notText.size(); ++i) {
        paths.push_back(folder.book(std::to_string(i) + ".txt", notText[i]));
        expected.push_back({paths.back(), Problem::NotPlainText});
    }
    // A run of end-of-text marks at the end is no hindrance.
    const ByteText marked = folder.book("marked.txt", "title\x1A\x1A");
    paths.push_back(marked);

    EXPECT_EQ(insertIntoBooks(paths, Both, gbk("完")), expected);

    for (std::size_t i = 0; i < notText.size(); ++i) {
        EXPECT_TRUE(readAll(paths[i]) == notText[i]) << i;
    }
    EXPECT_EQ(readAll(marked), gbkBytes("title完\r\n\x1A\x1A\r\n完\r\n"));
    EXPECT_EQ(test::namesIn(folder.path()).size(), notText.size() + 1);
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
