#include "books/replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "core/block_size.h"
#include "core/byte_text.h"
#include "core/character_rule.h"
#include "core/text_file.h"
#include "support/child_process.h"
#include "support/gbk.h"
#include "support/large_book.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::gbkBytes;
using test::namesIn;
using test::raw;
using test::readAll;
using test::TempFolder;

namespace fs = std::filesystem;

// ---- What a replacement makes of one book --------------------------------

struct ReplaceCase {
    const char* name;
    std::string book;
    ByteText search;
    ByteText replacement;
    std::string after;

    friend void PrintTo(const ReplaceCase& c, std::ostream* out) { *out << c.name; }
};

class ReplaceRules : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceRules, ReplaceEveryOccurrenceInTheWholeBook) {
    const ReplaceCase& c = GetParam();
    const TempFolder folder;
    const ByteText book = folder.book("book.txt", c.book);

    const ReplaceResult result = replaceInBooks({book}, c.search, c.replacement);

    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(readAll(book), c.after);
    EXPECT_EQ(result.changed.size(), c.after == c.book ? 0u : 1u);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"book.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Replace, ReplaceRules,
    testing::Values(
        ReplaceCase{"OneCharacter", gbkBytes("第一章\r\n章节与章"), gbk("章"), gbk("回"),
                    gbkBytes("第一回\r\n回节与回")},
        ReplaceCase{"SeveralLines", gbkBytes("甲\r\n乙\r\n甲\r\n丙"), gbk("甲\r\n乙"), gbk("丁"),
                    gbkBytes("丁\r\n甲\r\n丙")},
        ReplaceCase{"EmptyReplacementDeletes", gbkBytes("广告正文广告"), gbk("广告"), ByteText(),
                    gbkBytes("正文")},
        ReplaceCase{"LatinCaseKeptApart", "abc ABC Abc", raw("abc"), raw("x"), "x ABC Abc"},
        ReplaceCase{"GrowingReplacement", "a-a", raw("a"), gbk("很长的替换"),
                    gbkBytes("很长的替换-很长的替换")},
        // 第 is B5 DA; here those bytes are the end of 莱 (C1 B5) and the start of DA A1.
        ReplaceCase{"OnlyWhereACharacterStarts", "\xC1\xB5\xDA\xA1", gbk("第"), gbk("回"),
                    "\xC1\xB5\xDA\xA1"},
        ReplaceCase{"NoOccurrence", gbkBytes("正文"), gbk("章"), gbk("回"), gbkBytes("正文")},
        ReplaceCase{"EmptySearch", gbkBytes("正文"), ByteText(), gbk("回"), gbkBytes("正文")},
        ReplaceCase{"ItsOwnReplacement", gbkBytes("正文章"), gbk("章"), gbk("章"),
                    gbkBytes("正文章")},
        ReplaceCase{"EndOfTextMarksStay", gbkBytes("章章") + "\x1A\x1A", gbk("章"), gbk("回"),
                    gbkBytes("回回") + "\x1A\x1A"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Books in a batch --------------------------------------------------------

class ReplaceInBooks : public testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(ReplaceInBooks, ReportsEachBookInTurnAndListsTheChangedOnes) {
    const ByteText a = folder.book("A.txt", gbkBytes("第一章"));
    const ByteText b = folder.book("B.txt", gbkBytes("正文"));
    const ByteText gone = folder.codePagePath("gone.txt");
    const ByteText c = folder.book("C.txt", gbkBytes("章"));
    std::vector<std::string> reported;

    const ReplaceResult result = replaceInBooks(
        {a, b, gone, c}, gbk("章"), gbk("回"),
        [&](const ByteText& book, const std::optional<Problem>& problem, bool changed) {
            reported.push_back(std::string(book.bytes().substr(book.size() - 5)) +
                               (problem   ? " failed"
                                : changed ? " changed"
                                          : " unchanged"));
        });

    EXPECT_EQ(reported, (std::vector<std::string>{"A.txt changed", "B.txt unchanged",
                                                  "e.txt failed", "C.txt changed"}));
    EXPECT_EQ(result.changed, (std::vector<ByteText>{a, c}));
    EXPECT_EQ(result.failures, (std::vector<Failure>{{gone, Problem::NotFound}}));
    EXPECT_EQ(readAll(c), gbkBytes("回"));
}

TEST_F(ReplaceInBooks, ABookLargerThanOneReadIsReplacedWhole) {
    const std::string large = test::largeBook(20'000'000 + 1000) + gbkBytes("完");
    const ByteText book = folder.book("big.txt", large);

    const ReplaceResult result = replaceInBooks({book}, gbk("完"), gbk("终了"));

    ASSERT_TRUE(result.failures.empty());
    const std::string after = readAll(book);
    EXPECT_EQ(after.size(), large.size() + 2);
    EXPECT_TRUE(after == large.substr(0, large.size() - 2) + gbkBytes("终了"));
}

TEST_F(ReplaceInBooks, ManyOccurrencesAcrossWriteBlocksComeOutInOrder) {
    // Numbered lines, so a piece lost, doubled or moved at a block's edge
    // shows.
    std::string before;
    std::string expected;
    for (int line = 0; before.size() < 3'000'000; ++line) {
        const std::string number = std::to_string(line);
        before += gbkBytes("章") + number + "\r\n";
        expected += gbkBytes("第几回") + number + "\r\n";
    }
    const ByteText book = folder.book("dense.txt", before);

    ASSERT_TRUE(replaceInBooks({book}, gbk("章"), gbk("第几回")).failures.empty());
    EXPECT_TRUE(readAll(book) == expected);
}

// What a replacement makes of a whole book held at once, or nothing when the
// book is no plain text: the rule the block-by-block reading must keep.
std::optional<std::string> replacedWhole(const std::string& book, std::string_view search,
                                         std::string_view replacement) {
    const std::size_t text = textLengthBeforeStop(book);
    if (book.find_first_not_of('\x1A', text) != std::string::npos) {
        return std::nullopt;
    }
    return replaceAllBytes(std::string_view(book).substr(0, text), search, replacement) +
           book.substr(text);
}

TEST_F(ReplaceInBooks, WhatHappensAtTheEdgeOfAReadBlockIsAsInTheWholeBook) {
    // Random bytes, in which lead bytes and markers are common, and now and
    // then a stop byte, around the edge of the first read block, behind a
    // run of Chinese text or ASCII that sets where characters start there.
    constexpr std::size_t Block = BlockBytes;
    const std::string alphabet = "a\x81\xB0\xD5\xC2";
    std::mt19937 random(1211);
    const auto randomBytes = [&](std::size_t length) {
        std::string bytes(length, ' ');
        for (char& c : bytes) {
            c = alphabet[random() % alphabet.size()];
        }
        return bytes;
    };
    for (int round = 0; round < 300; ++round) {
        const std::size_t before = Block - 12 + random() % 12;
        std::string book =
            random() % 2 == 0 ? std::string(before, 'x') : test::largeBook(before - before % 2);
        book += randomBytes(12 + random() % 12);
        if (random() % 4 == 0) {
            // Last in the first block, or first in the next, where it may
            // be the second byte of a pair.
            book[Block - random() % 2] = '\x1A';
        }
        if (random() % 8 == 0) {
            book += std::string("\0", 1);  // a stop that is no end mark
        }
        if (random() % 3 == 0) {
            book += std::string(random() % 4, '\x1A');
        }
        // Half the time a text that lies across the edge somewhere; it may
        // end in a lead byte, after which the walk goes on from its end.
        const std::string search = random() % 2 == 0
                                       ? book.substr(Block - 1 - random() % 3, 2 + random() % 2)
                                       : randomBytes(1 + random() % 3);
        // The search text as its own replacement only checks the book.
        const std::string replacement = random() % 4 == 0 ? search : randomBytes(random() % 3);
        SCOPED_TRACE(testing::PrintToString(book.substr(before - 4)) + " / " +
                     testing::PrintToString(search) + " / " + testing::PrintToString(replacement));
        const ByteText path = folder.book("edge.txt", book);

        const ReplaceResult result =
            replaceInBooks({path}, ByteText(search), ByteText(replacement));

        const auto expected = replacedWhole(book, search, replacement);
        if (!expected) {
            ASSERT_EQ(result.failures, (std::vector<Failure>{{path, Problem::NotPlainText}}));
            ASSERT_TRUE(readAll(path) == book);
        } else {
            ASSERT_TRUE(result.failures.empty());
            ASSERT_TRUE(readAll(path) == *expected);
            ASSERT_EQ(result.changed.size(), *expected == book ? 0u : 1u);
        }
    }
}

TEST_F(ReplaceInBooks, AfterAReplacementTheWalkGoesOnFromItsEndAcrossABlockEdge) {
    // C4 D5 C4 at the end of the first block: C4 is replaced, then D5 C4 is
    // one character, so the last C4 is no occurrence.
    const std::string front(BlockBytes - 3, 'x');
    const ByteText path = folder.book("edge.txt", front + "\xC4\xD5\xC4");
    ASSERT_TRUE(replaceInBooks({path}, raw("\xC4"), raw("X")).failures.empty());
    EXPECT_TRUE(readAll(path) == front + "X\xD5\xC4");
}

TEST_F(ReplaceInBooks, ABookWithAStopByteInsideStaysUnchanged) {
    // UTF-16 text: GBK bytes replaced in it would damage it.
    const std::string utf16("\xFF\xFE\x60\x4F\x7D\x59\x0D\x00\x0A\x00", 10);
    const ByteText book = folder.book("utf16.txt", utf16);
    const ByteText nulInText = folder.book("nul.txt", std::string("a\0a\x1A", 4));
    int handled = 0;

    const ReplaceResult result =
        replaceInBooks({book, nulInText}, raw("a"), raw("b"),
                       [&](const ByteText&, const std::optional<Problem>& problem, bool) {
                           handled += problem ? 0 : 1;
                       });

    EXPECT_EQ(result.failures, (std::vector<Failure>{{book, Problem::NotPlainText},
                                                     {nulInText, Problem::NotPlainText}}));
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(readAll(book), utf16);
    EXPECT_EQ(readAll(nulInText), std::string("a\0a\x1A", 4));
}

TEST_F(ReplaceInBooks, AReadOnlyBookIsLeftAloneAndReported) {
    const fs::path readOnly = folder.write("ro.txt", gbkBytes("第一章"));
    const fs::path nothingToDo = folder.write("plain.txt", gbkBytes("正文"));
    for (const auto& book : {readOnly, nothingToDo}) {
        fs::permissions(book,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    // The folder would let a new file take the book's place.
    fs::permissions(folder.path(), fs::perms::all);
    const ByteText ro = folder.codePagePath("ro.txt");
    const ByteText plain = folder.codePagePath("plain.txt");

    const int exitCode = test::asOrdinaryUser([&] {
        int handled = 0;
        const ReplaceResult result =
            replaceInBooks({ro, plain}, gbk("章"), gbk("回"),
                           [&](const ByteText&, const std::optional<Problem>& problem, bool) {
                               handled += problem ? 0 : 1;
                           });
        // A book with nothing to replace needs no writing and is handled.
        return result.failures == std::vector<Failure>{{ro, Problem::NoAccess}} && handled == 1 ? 0
                                                                                                : 1;
    });

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(readOnly), gbkBytes("第一章"));
}

TEST_F(ReplaceInBooks, AFullDiskLeavesTheBookWholeAndNothingElse) {
    const std::string original(3000, 'a');
    const ByteText book = folder.book("book.txt", original);
    const int exitCode = test::withFileSizeLimit(4000, [&] {
        const ReplaceResult result = replaceInBooks({book}, raw("a"), raw("bb"));
        return result.failures == std::vector<Failure>{{book, Problem::DiskFull}} ? 0 : 1;
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(readAll(book), original);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"book.txt"});
}

TEST_F(ReplaceInBooks, TheNewBookKeepsThePermissionsOfTheOld) {
    const fs::path book = folder.write("book.txt", "a");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(book, mode);
    ASSERT_TRUE(
        replaceInBooks({folder.codePagePath("book.txt")}, raw("a"), raw("b")).failures.empty());
    EXPECT_EQ(readAll(book), "b");
    EXPECT_EQ(fs::status(book).permissions(), mode);
}

}  // namespace
}  // namespace juanzhi
