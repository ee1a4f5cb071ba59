#include "books/split.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/character_rule.h"
#include "core/code_page.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::gbkBytes;
using test::raw;
using test::readAll;
using test::TempFolder;

// ---- The heading rule ------------------------------------------------------

struct LineCase {
    const char* name;
    std::string line;
    bool heading;

    friend void PrintTo(const LineCase& c, std::ostream* out) { *out << c.name; }
};

class HeadingRule : public testing::TestWithParam<LineCase> {};

TEST_P(HeadingRule, FindsChapterHeadings) {
    EXPECT_EQ(isChapterHeading(GetParam().line), GetParam().heading);
}

INSTANTIATE_TEST_SUITE_P(
    Split, HeadingRule,
    testing::Values(LineCase{"Chapter", gbkBytes("第一章 出发\r"), true},
                    LineCase{"Section", gbkBytes("第十二节"), true},
                    LineCase{"Digits", gbkBytes("第1章"), true},
                    LineCase{"MarkersTouch", gbkBytes("第章"), true},
                    LineCase{"InsideALine", gbkBytes("　　正文第三章"), true},
                    LineCase{"SeventeenBytesBetween", gbkBytes("第一千二百三十四章"), true},
                    LineCase{"NineteenBytesApart", gbkBytes("第一二三四五六七八9章"), true},
                    LineCase{"TwentyBytesApart", gbkBytes("第一二三四五六七八90章"), false},
                    LineCase{"TooFarApart", gbkBytes("第一百二十三万四千五百六十七章"), false},
                    LineCase{"SectionNearAfterFarChapter",
                             gbkBytes("第一百二十三万四千五百六十七章第二节"), false},
                    LineCase{"BothMarkers", gbkBytes("第三章第一节"), true},
                    LineCase{"NoChapterStart", gbkBytes("章节"), false},
                    LineCase{"FirstChapterEndBeforeStart", gbkBytes("章：第一章"), false},
                    LineCase{"ChapterEndBeforeButSectionAfter", gbkBytes("章：第一节"), true},
                    // C1 B5 | DA A1 | D5 C2: the bytes B5 DA of 第 span two characters.
                    LineCase{"MarkersOnlyWhereACharacterStarts",
                             raw("\xC1\xB5\xDA\xA1\xD5\xC2").bytes().data(), false},
                    LineCase{"AfterAStopByte", std::string("\x1A") + gbkBytes("第一章"), false},
                    LineCase{"AfterANul", std::string("\0", 1) + gbkBytes("第一章"), false},
                    LineCase{"Empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The heading rule read plainly: walk the line by characters up to its first
// stop byte, noting where 第, 章 and 节 first start.
bool headingByWalking(std::string_view line) {
    std::size_t at = 0;
    long start = -1, chapterEnd = -1, sectionEnd = -1;
    while (at < line.size() && line[at] != '\0' && line[at] != '\x1A') {
        const std::size_t length = characterLengthAt(line, at);
        if (length == 2 && line[at + 1] == '\0') {
            break;
        }
        const std::string_view character = line.substr(at, length);
        const auto position = static_cast<long>(at);
        if (character == "\xB5\xDA" && start < 0) {
            start = position;
        } else if (character == "\xD5\xC2" && chapterEnd < 0) {
            chapterEnd = position;
        } else if (character == "\xBD\xDA" && sectionEnd < 0) {
            sectionEnd = position;
        }
        at += length;
    }
    const auto near = [start](long end) { return start >= 0 && end > start && end - start <= 19; };
    return near(chapterEnd) || near(sectionEnd);
}

TEST(HeadingRuleOnRandomLines, AgreesWithAPlainWalk) {
    // Markers, their bytes alone (so they straddle characters), other pairs,
    // ASCII and stop bytes.
    const std::string parts[] = {
        "\xB5\xDA", "\xD5\xC2", "\xBD\xDA",           "\xB5", "\xDA",    "\xC1",
        "a",        "\r",       std::string("\0", 1), "\x1A", "\xB0\xA1"};
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (std::size_t count = random() % 16; count > 0; --count) {
            line += parts[random() % std::size(parts)];
        }
        ASSERT_EQ(isChapterHeading(line), headingByWalking(line)) << testing::PrintToString(line);
    }
}

struct PruneCase {
    const char* name;
    std::vector<std::int64_t> boundaries;
    std::vector<std::int64_t> kept;

    friend void PrintTo(const PruneCase& c, std::ostream* out) { *out << c.name; }
};

class Pruning : public testing::TestWithParam<PruneCase> {};

TEST_P(Pruning, KeepsBoundariesAtLeast60BytesApart) {
    EXPECT_EQ(pruneBoundaries(GetParam().boundaries), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Split, Pruning,
    testing::Values(PruneCase{"HeadingAtTheStart", {0, 0, 100, 200}, {0, 100, 200}},
                    PruneCase{"TitleLineBeforeTheFirstHeading", {0, 30, 500}, {0, 500}},
                    PruneCase{"MeasuredFromTheLastKept", {0, 60, 100, 130, 400}, {0, 60, 130, 400}},
                    PruneCase{"DoubleEntryOfOneLine", {0, 80, 80, 300}, {0, 80, 300}},
                    PruneCase{"TheEndAlwaysStays", {0, 100, 110}, {0, 100, 110}},
                    PruneCase{"EmptyBook", {0, 0}, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Splitting books -------------------------------------------------------

class SplitBook : public testing::Test {
  protected:
    ByteText book(std::string_view bytes, std::string_view name = "book.txt") {
        folder.write(name, bytes);
        return folder.codePagePath(name);
    }
    ByteText out() { return folder.codePagePath("out"); }
    SplitResult split(const ByteText& path, Numbering numbering = Numbering::Suffix) {
        return splitBook(path, gbk("书名"), numbering, out());
    }
    static std::string contents(const ByteText& path) {
        return readAll(std::filesystem::u8path(*codePageToUtf8(path)));
    }
    static std::vector<std::string> pieces(const SplitResult& result) {
        std::vector<std::string> bytes;
        for (std::int64_t number = 1; number <= result.pieceCount; ++number) {
            bytes.push_back(contents(result.piece(number)));
        }
        return bytes;
    }

    void SetUp() override { std::filesystem::create_directory(folder.file("out")); }

    TempFolder folder;
};

// Chapter text of `bytes` bytes, never a heading.
std::string prose(std::size_t bytes) {
    return std::string(bytes, 'x');
}

TEST_F(SplitBook, CutsAtHeadingsAndJoinsCloseOnesToThePieceBefore) {
    const std::string title = gbkBytes("《书名》作者：某人") + prose(10) + "\r\n";  // 30 bytes
    ASSERT_EQ(title.size(), 30u);
    const std::string one = gbkBytes("第一章 出发\r\n") + prose(100) + "\r\n";
    // Headings on short lines: only the first starts a piece.
    const std::string sections = gbkBytes("第一节\r\n第二节\r\n第三节\r\n") + prose(60) + "\r\n";
    const std::string two = gbkBytes("第二章 归来\r\n") + prose(100) + "\r\n";
    const std::string three = gbkBytes("第三章第一节\r\n") + prose(50);
    const auto result = split(book(title + one + sections + two + three));

    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(pieces(result), (std::vector<std::string>{title + one, sections, two, three}));
}

TEST_F(SplitBook, ABookStartingWithAHeadingStartsItsFirstPiece) {
    const std::string one = gbkBytes("第一章\r\n") + prose(80) + "\r\n";
    const std::string two = gbkBytes("第二章\r\n") + prose(80);
    EXPECT_EQ(pieces(split(book(one + two))), (std::vector<std::string>{one, two}));
}

TEST_F(SplitBook, NamesPiecesByTheChosenNumbering) {
    std::string text;
    for (int chapter = 1; chapter <= 11; ++chapter) {
        text += gbkBytes("第") + std::to_string(chapter) + gbkBytes("章\r\n") + prose(80) + "\r\n";
    }
    const ByteText path = book(text);
    const auto suffixed = split(path, Numbering::Suffix);
    const auto prefixed = split(path, Numbering::Prefix);

    ASSERT_EQ(suffixed.pieceCount, 11);
    EXPECT_EQ(suffixed.piece(1), folder.codePagePath("out/书名_1.txt"));
    EXPECT_EQ(suffixed.piece(11), folder.codePagePath("out/书名_11.txt"));
    ASSERT_EQ(prefixed.pieceCount, 11);
    EXPECT_EQ(prefixed.piece(1), folder.codePagePath("out/1_书名.txt"));
    EXPECT_EQ(prefixed.piece(11), folder.codePagePath("out/11_书名.txt"));

    const auto mended = splitBook(path, raw("a/b"), Numbering::Suffix, out());
    EXPECT_EQ(mended.piece(1), folder.codePagePath("out/a／b_1.txt"));
}

TEST_F(SplitBook, BooksWithoutHeadingsOrEmptyGiveOnePiece) {
    EXPECT_EQ(pieces(split(book(prose(500)))), std::vector<std::string>{prose(500)});
    EXPECT_EQ(pieces(split(book(""))), std::vector<std::string>{""});
}

TEST_F(SplitBook, StopBytesAreKeptAndDoNotStopTheSplit) {
    const std::string one =
        gbkBytes("第一章\r\n") + prose(40) + std::string("\0\x1A", 2) + prose(40) + "\r\n";
    const std::string two = gbkBytes("第二章\r\n") + prose(80) + "\x1A";
    EXPECT_EQ(pieces(split(book(one + two))), (std::vector<std::string>{one, two}));
}

TEST_F(SplitBook, AnOlderLongerPieceIsEmptiedFirst) {
    folder.write("out/书名_1.txt", prose(5000));
    EXPECT_EQ(pieces(split(book("short"))), std::vector<std::string>{"short"});
    EXPECT_EQ(readAll(folder.file("out/书名_1.txt")), "short");
}

TEST_F(SplitBook, AMissingBookMakesNoPiece) {
    const ByteText missing = folder.codePagePath("missing.txt");
    const auto result = split(missing);
    EXPECT_EQ(result.pieceCount, 0);
    EXPECT_EQ(result.failures, (std::vector<Failure>{{missing, Problem::NotFound}}));
    EXPECT_TRUE(std::filesystem::is_empty(folder.file("out")));
}

TEST_F(SplitBook, APieceThatWouldBeTheBookStopsTheSplitBeforeAnyWrite) {
    const std::string text =
        gbkBytes("第一章\r\n") + prose(80) + gbkBytes("\r\n第二章\r\n") + prose(80);
    const ByteText path = book(text, "out/书名_2.txt");
    const auto result = split(path);
    EXPECT_EQ(result.pieceCount, 0);
    EXPECT_EQ(result.failures, (std::vector<Failure>{{path, Problem::PieceWouldBeBook}}));
    EXPECT_EQ(contents(path), text);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/书名_1.txt")));
}

TEST_F(SplitBook, APieceThatCannotBeWrittenStopsTheSplitThere) {
    std::filesystem::create_directory(folder.file("out/书名_2.txt"));
    const std::string one = gbkBytes("第一章\r\n") + prose(80) + "\r\n";
    const std::string two = gbkBytes("第二章\r\n") + prose(80) + "\r\n";
    const std::string three = gbkBytes("第三章\r\n") + prose(80);
    const auto result = split(book(one + two + three));
    EXPECT_EQ(pieces(result), std::vector<std::string>{one});
    EXPECT_EQ(result.failures,
              (std::vector<Failure>{{folder.codePagePath("out/书名_2.txt"), Problem::IsFolder}}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/书名_3.txt")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("out")), {}), 2);
}

// The pieces of `text` by a plain reading of the rule: whole lines, walked
// by characters, in memory.
std::vector<std::string> expectedPieces(const std::string& text) {
    std::vector<std::int64_t> boundaries{0};
    std::size_t lineStart = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLengthAt(text, at);
        const bool lineEnds = length == 1 && text[at] == '\n';
        at += length;
        if (lineEnds || at == text.size()) {
            const std::size_t end = lineEnds ? at - 1 : at;
            if (isChapterHeading(std::string_view(text).substr(lineStart, end - lineStart))) {
                boundaries.push_back(static_cast<std::int64_t>(lineStart));
            }
            lineStart = at;
        }
    }
    boundaries.push_back(static_cast<std::int64_t>(text.size()));
    boundaries = pruneBoundaries(boundaries);
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        pieces.push_back(text.substr(static_cast<std::size_t>(boundaries[i]),
                                     static_cast<std::size_t>(boundaries[i + 1] - boundaries[i])));
    }
    return pieces;
}

// A book of random lines: headings now and then, prose with high bytes, stop
// bytes, lone lead bytes before line breaks; large enough to span several
// read blocks.
std::string generatedBook(std::mt19937& random, std::size_t size) {
    const std::string parts[] = {
        gbkBytes("第七章 风起\r\n"),
        gbkBytes("第八节\n"),
        gbkBytes("第"),
        gbkBytes("章"),
        gbkBytes("章节\r\n"),
        gbkBytes("　　他说：“走吧。”\r\n"),
        std::string("\x81\n"),
        std::string("\0", 1),
        "\x1A",
        prose(37),
        "\r\n",
    };
    // Rare headings keep the pieces few but many still fall close together.
    std::discrete_distribution<std::size_t> pick({1, 1, 4, 4, 20, 200, 20, 5, 5, 200, 200});
    std::string text;
    while (text.size() < size) {
        text += parts[pick(random)];
    }
    return text;
}

TEST_F(SplitBook, PiecesJoinBackIntoTheBook) {
    std::mt19937 random(20261211);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1000}, std::size_t{3} << 19}) {
        SCOPED_TRACE(size);
        const std::string text = generatedBook(random, size);
        const auto result = split(book(text));
        const auto written = pieces(result);
        EXPECT_TRUE(result.failures.empty());
        EXPECT_EQ(written, expectedPieces(text));
        EXPECT_GE(written.size(), size / 10000);  // the book has headings to cut at
        std::string joined;
        for (const std::string& piece : written) {
            joined += piece;
        }
        EXPECT_TRUE(joined == text);
    }
}

// A character straddling the end of a read block must be read as one: the
// line break right after 啊, or the 第 of the heading, may be the first byte
// of the next block.
TEST_F(SplitBook, CharactersAcrossReadBlocksAreReadWhole) {
    const std::size_t block = std::size_t{1} << 20;
    for (std::size_t before = block - 5; before < block; ++before) {
        SCOPED_TRACE(before);
        const std::string first = prose(before) + gbkBytes("啊") + "\n";
        const std::string second = gbkBytes("第一章\r\n") + prose(100);
        EXPECT_EQ(pieces(split(book(first + second))), (std::vector<std::string>{first, second}));
    }
}

}  // namespace
}  // namespace juanzhi
