#include "books/merge.h"

#include "core/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/gbk.h"
#include "support/large_book.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::gbkBytes;
using test::namesIn;
using test::readAll;
using test::TempFolder;

namespace fs = std::filesystem;

class MergeBooks : public testing::Test {
  protected:
    ByteText output() const { return folder.codePagePath("合集.txt"); }

    TempFolder folder;
};

TEST_F(MergeBooks, JoinsTheTextsInListOrderEachFollowedByALineBreak) {
    const ByteText x = folder.book("X.txt", gbkBytes("甲\r\n"));  // already ends in CR LF
    const ByteText y = folder.book("Y.txt", gbkBytes("乙"));
    const ByteText z = folder.book("Z.txt", "");
    // The old end-of-text marks are no part of the text.
    const ByteText marked = folder.book("S.txt", gbkBytes("丙") + "\x1A\x1A");

    const MergeResult result = mergeBooks({y, x, z, marked}, output());

    EXPECT_TRUE(result.written);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(readAll(output()), gbkBytes("乙\r\n甲\r\n\r\n\r\n丙\r\n"));
    EXPECT_EQ(readAll(marked), gbkBytes("丙") + "\x1A\x1A");  // inputs unchanged
}

TEST_F(MergeBooks, AnyBookThatCannotGoInWholeLeavesTheOlderOutputAndWritesNothing) {
    const std::string older = "older merge\r\n";
    folder.write("合集.txt", older);
    const ByteText a = folder.book("A.txt", "a");
    const ByteText gone = folder.codePagePath("gone.txt");
    const ByteText folderAsBook = folder.codePagePath("");
    // Text after a NUL, and UTF-16: either would be cut short at its NUL.
    const ByteText nulInside = folder.book("nul.txt", std::string("text\0more", 9));
    const ByteText utf16 = folder.book("utf16.txt", std::string("\xFF\xFE"
                                                                "a\0b\0",
                                                                6));
    const ByteText b = folder.book("B.txt", "b");

    std::vector<ByteText> passed;
    const std::vector<ByteText> books{a, gone, folderAsBook, nulInside, utf16, b};
    const MergeResult result =
        mergeBooks(books, output(), [&passed](const ByteText& book) { passed.push_back(book); });

    EXPECT_FALSE(result.written);
    EXPECT_EQ(readAll(output()), older);
    EXPECT_EQ(passed, books);
    EXPECT_EQ(result.failures, (std::vector<Failure>{{gone, Problem::NotFound},
                                                     {folderAsBook, Problem::IsFolder},
                                                     {nulInside, Problem::NotPlainText},
                                                     {utf16, Problem::NotPlainText}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 5);  // no passing file
}

TEST_F(MergeBooks, AnOutputThatIsAlsoAListedBookIsReadAsItWas) {
    const ByteText a = folder.book("A.txt", gbkBytes("一"));
    folder.write("合集.txt", gbkBytes("旧的合集"));
    const ByteText b = folder.book("B.txt", gbkBytes("二"));

    const MergeResult result = mergeBooks({output(), a, output(), b}, output());

    EXPECT_TRUE(result.written);
    EXPECT_EQ(readAll(output()), gbkBytes("旧的合集\r\n一\r\n旧的合集\r\n二\r\n"));
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"A.txt", "B.txt", "合集.txt"}));
}

TEST_F(MergeBooks, AnOlderLongerOutputIsReplacedWholeKeepingItsPermissions) {
    const fs::path older = folder.write("合集.txt", std::string(1000, 'o'));
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(older, mode);
    const ByteText a = folder.book("A.txt", "a");
    ASSERT_TRUE(mergeBooks({a}, output()).written);
    EXPECT_EQ(readAll(output()), "a\r\n");
    EXPECT_EQ(fs::status(older).permissions(), mode);
}

TEST_F(MergeBooks, BooksLargerThanOneReadAreTakenWhole) {
    // Past 20,000,000 bytes and across many read blocks: nothing is cut.
    const std::string large = test::largeBook(20'000'000 + 12'345);
    const ByteText big = folder.book("big.txt", large);
    const ByteText small = folder.book("small.txt", "end");

    ASSERT_TRUE(mergeBooks({big, small}, output()).written);

    const std::string merged = readAll(output());
    EXPECT_EQ(merged.size(), large.size() + 2 + 5);
    EXPECT_TRUE(merged == large + "\r\nend\r\n");
}

TEST_F(MergeBooks, ACharacterAcrossTwoReadBlocksIsJudgedWhole) {
    constexpr std::size_t Block = std::size_t{1} << 20;
    // A lead byte last in the first block: 0x1A after it is its second byte,
    // a NUL after it ends the text in front of the lead.
    const std::string front(Block - 1, 'a');
    const ByteText sub = folder.book("sub.txt", front + "\xB0\x1A" + "tail");
    const ByteText nul = folder.book("nul.txt", front + std::string("\xB0\0tail", 6));

    ASSERT_TRUE(mergeBooks({sub}, output()).written);
    EXPECT_TRUE(readAll(output()) == front + "\xB0\x1A" + "tail\r\n");

    EXPECT_EQ(mergeBooks({nul}, output()).failures,
              (std::vector<Failure>{{nul, Problem::NotPlainText}}));
}

TEST_F(MergeBooks, AFullDiskLeavesTheOlderOutputWholeAndNothingElse) {
    folder.write("合集.txt", "older merge");
    const ByteText a = folder.book("A.txt", std::string(5000, 'a'));
    const int exitCode = test::withFileSizeLimit(4000, [&] {
        const MergeResult result = mergeBooks({a}, output());
        return !result.written &&
                       result.failures == std::vector<Failure>{{output(), Problem::DiskFull}}
                   ? 0
                   : 1;
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(output()), "older merge");
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"A.txt", "合集.txt"}));
}

// An older output may be one of the books: it gives way only to a merged
// book that is on the disk, so that a power cut cannot leave it empty.
TEST_F(MergeBooks, AnOlderOutputIsReplacedOnlyByAMergedBookOnTheDisk) {
    const ByteText book = folder.book("合集.txt", "a book of its own");
    const ByteText other = folder.book("B.txt", "b");
    const int exitCode = test::inChildProcess([&] {
        static std::string calls;
        platform::testing::setFaultHook([](platform::testing::Call call, std::size_t&) {
            calls += call == platform::testing::Call::Flush    ? 'F'
                     : call == platform::testing::Call::Rename ? 'R'
                                                               : '.';
            return platform::FileError::None;
        });
        const bool written = mergeBooks({book, other}, output()).written;
        const std::size_t flushed = calls.find('F');
        return written && flushed != std::string::npos && flushed < calls.find('R') ? 0 : 1;
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(output()), "a book of its own\r\nb\r\n");
}

TEST_F(MergeBooks, AnOutputThatCannotBeWrittenIsReported) {
    const ByteText a = folder.book("A.txt", "a");
    const ByteText inMissingFolder = folder.codePagePath("missing/合集.txt");
    MergeResult result = mergeBooks({a}, inMissingFolder);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.failures, (std::vector<Failure>{{inMissingFolder, Problem::NotFound}}));

    // The user may not write the older output, though the folder would take
    // a new file in its place.
    const fs::path older = folder.write("合集.txt", "older");
    fs::permissions(older, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder.path(), fs::perms::all);
    const int exitCode = test::asOrdinaryUser([&] {
        result = mergeBooks({a}, output());
        return !result.written &&
                       result.failures == std::vector<Failure>{{output(), Problem::NoAccess}}
                   ? 0
                   : 1;
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(older), "older");
}

TEST(MergedBookPath, IsTheMendedNameWithTxtInTheFolder) {
    const ByteText folder = gbk("/程序");
    EXPECT_EQ(mergedBookPath(folder, gbk("合集")), gbk("/程序/合集.txt"));
    EXPECT_EQ(mergedBookPath(folder, gbk("合集.txt")), gbk("/程序/合集.txt.txt"));
    EXPECT_EQ(mergedBookPath(folder, gbk("../合集")), gbk("/程序/..／合集.txt"));
    EXPECT_EQ(mergedBookPath(folder, gbk("   ")), ByteText());
    EXPECT_EQ(mergedBookPath(ByteText(), gbk("合集")), gbk("合集.txt"));
}

}  // namespace
}  // namespace juanzhi
