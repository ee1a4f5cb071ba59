#include "core/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/character_rule.h"
#include "core/code_page.h"
#include "support/child_process.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::raw;
using test::readAll;
using test::TempFolder;

// Closes its handle however the test ends.
class OpenedFile {
  public:
    OpenedFile(const ByteText& path, OpenMode mode) : handle_(openFile(path, mode)) {}
    ~OpenedFile() { closeFile(handle_); }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    TextFile operator*() const { return handle_; }

  private:
    TextFile handle_;
};

class TextFileTest : public testing::Test {
  protected:
    // Writes `bytes` to a file of the temporary folder and returns its
    // code-page path.
    ByteText book(std::string_view bytes, std::string_view name = "book.txt") {
        folder.write(name, bytes);
        return folder.codePagePath(name);
    }
    std::string contents(std::string_view name = "book.txt") { return readAll(folder.file(name)); }

    TempFolder folder;
};

struct Step {
    ByteText text;
    std::int32_t position;
};

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<Step> steps;

    friend void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }
};

class ReadLineRules : public TextFileTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(ReadLineRules, ReturnsLinesAndPositions) {
    const ReadCase& c = GetParam();
    const OpenedFile file(book(c.bytes), OpenMode::Read);
    ASSERT_NE(*file, 0);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        SCOPED_TRACE("read " + std::to_string(i + 1));
        EXPECT_EQ(readLine(*file), c.steps[i].text);
        EXPECT_EQ(filePosition(*file), c.steps[i].position);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, ReadLineRules,
    testing::Values(
        ReadCase{"CrLf", "ab\r\ncd", {{raw("ab"), 4}, {raw("cd"), 6}, {raw(""), 6}}},
        ReadCase{"EmptyFirstLine", "\na", {{raw(""), 1}, {raw("a"), 2}}},
        ReadCase{"LoneCrStays", "a\rb\n", {{raw("a\rb"), 4}}},
        ReadCase{"OnlyOneCrDropped", "a\r\r\n", {{raw("a\r"), 4}}},
        ReadCase{"EmptyFile", "", {{raw(""), 0}}},
        ReadCase{"SubStopsAndStays",
                 "ab\x1A"
                 "c",
                 {{raw("ab"), 2}, {raw(""), 2}, {raw(""), 2}}},
        ReadCase{"NulStopsAndStays", std::string("ab\0c", 4), {{raw("ab"), 2}, {raw(""), 2}}},
        ReadCase{"LfAsSecondByte", "\xB0\nA\n", {{raw("\xB0\nA"), 4}}},
        ReadCase{"SubAsSecondByte",
                 "\xB0\x1A"
                 "c\n",
                 {{raw("\xB0\x1A"
                       "c"),
                   4}}},
        ReadCase{"LeadByteBeforeNul", std::string("A\xB0\0B", 4), {{raw("A"), 2}, {raw(""), 2}}},
        ReadCase{"LeadByteAtTheEnd", "A\xB0", {{raw("A\xB0"), 2}, {raw(""), 2}}},
        // A pair across the 512-byte read-ahead, and a line longer than it.
        ReadCase{"PairAcrossReadAhead",
                 std::string(511, 'a') + "\xB0\nz\r\nend",
                 {{raw(std::string(511, 'a') + "\xB0\nz"), 516}, {raw("end"), 519}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(TextFileTest, EndOfFileAndStopBytes) {
    {
        const OpenedFile file(book("ab\r\ncd"), OpenMode::Read);
        EXPECT_FALSE(atEndOfFile(*file));
        readLine(*file);
        readLine(*file);
        EXPECT_TRUE(atEndOfFile(*file));
    }
    {
        const OpenedFile file(book("ab\x1A"
                                   "c"),
                              OpenMode::Read);
        readLine(*file);
        EXPECT_FALSE(atEndOfFile(*file));
        EXPECT_TRUE(atEndOfFile(*file, /*stopByteIsEnd=*/true));
        EXPECT_EQ(filePosition(*file), 2);  // asking does not move
    }
    {
        const OpenedFile file(book(""), OpenMode::Read);
        EXPECT_TRUE(atEndOfFile(*file));
    }
}

TEST_F(TextFileTest, EndOfFileIsAskedAfresh) {
    const ByteText path = book("a\n");
    const OpenedFile reader(path, OpenMode::Read);
    readLine(*reader);
    ASSERT_TRUE(atEndOfFile(*reader));

    const OpenedFile writer(path, OpenMode::ReadWrite);
    seekToEnd(*writer);
    ASSERT_TRUE(writeText(*writer, raw("b\n")));
    EXPECT_FALSE(atEndOfFile(*reader));
    EXPECT_EQ(readLine(*reader), raw("b"));
}

struct ReadTextCase {
    const char* name;
    std::string bytes;
    std::vector<std::int32_t> counts;
    std::vector<Step> steps;

    friend void PrintTo(const ReadTextCase& c, std::ostream* out) { *out << c.name; }
};

class ReadTextRules : public TextFileTest, public testing::WithParamInterface<ReadTextCase> {};

TEST_P(ReadTextRules, ReturnsBlocksAndPositions) {
    const ReadTextCase& c = GetParam();
    const OpenedFile file(book(c.bytes), OpenMode::Read);
    ASSERT_NE(*file, 0);
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
        SCOPED_TRACE("read " + std::to_string(i + 1));
        EXPECT_EQ(readText(*file, c.counts[i]), c.steps[i].text);
        EXPECT_EQ(filePosition(*file), c.steps[i].position);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, ReadTextRules,
    testing::Values(
        ReadTextCase{"WholeSmallFile",
                     "0123456789",
                     {MaxReadBytes, MaxReadBytes},
                     {{raw("0123456789"), 10}, {raw(""), 10}}},
        ReadTextCase{"StopsOnSub",
                     "abc\x1A"
                     "d",
                     {100, 100},
                     {{raw("abc"), 3}, {raw(""), 3}}},
        ReadTextCase{"NothingAsked", "abc", {0, -5}, {{raw(""), 0}, {raw(""), 0}}},
        ReadTextCase{
            "FromAPosition", "abcdef", {2, 3, 9}, {{raw("ab"), 2}, {raw("cde"), 5}, {raw("f"), 6}}},
        ReadTextCase{"LeadByteBeforeNul", std::string("a\xB0\0b", 4), {10}, {{raw("a"), 2}}},
        ReadTextCase{
            "LeadByteLastOfTheBlock", std::string("ab\xB0\0", 4), {3}, {{raw("ab\xB0"), 3}}},
        ReadTextCase{"LeadByteAtTheEnd", "a\xB0", {10}, {{raw("a\xB0"), 2}}},
        ReadTextCase{"SubAsSecondByte",
                     "\xB0\x1A"
                     "c",
                     {10},
                     {{raw("\xB0\x1A"
                           "c"),
                       3}}}),
    [](const auto& info) { return info.param.name; });

// The rule read plainly: walk the characters from the start.
std::size_t walkedTextLength(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += characterLengthAt(bytes, at)) {
        if (isStopByte(static_cast<unsigned char>(bytes[at]))) {
            return at;
        }
        if (characterLengthAt(bytes, at) == 2 && bytes[at + 1] == '\0') {
            return at;
        }
    }
    return bytes.size();
}

TEST(TextLengthBeforeStop, AgreesWithAWalkOverEveryCharacter) {
    // Few kinds of byte, so stops, pairs and lone lead bytes meet often.
    constexpr std::string_view Alphabet(
        "\0\x1A"
        "a\n\xB0\xD5",
        6);
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 12, ' ');
        for (char& byte : bytes) {
            byte = Alphabet[random() % Alphabet.size()];
        }
        ASSERT_EQ(textLengthBeforeStop(bytes), walkedTextLength(bytes))
            << testing::PrintToString(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }
}

TEST_F(TextFileTest, WriteTextOverwritesAndGrows) {
    const OpenedFile file(book("uvwxyz"), OpenMode::ReadWrite);
    EXPECT_TRUE(writeText(*file, raw("abc")));
    EXPECT_EQ(filePosition(*file), 3);
    EXPECT_EQ(contents(), "abcxyz");

    EXPECT_TRUE(writeText(*file, ByteText()));
    EXPECT_EQ(contents(), "abcxyz");

    ASSERT_TRUE(seekToEnd(*file));
    EXPECT_TRUE(writeText(*file, gbk("第一章")));
    EXPECT_EQ(filePosition(*file), 12);
    EXPECT_EQ(contents(), "abcxyz" + std::string(gbk("第一章").bytes()));
}

TEST_F(TextFileTest, FailedWritesKeepThePosition) {
    {
        const OpenedFile file(book("abc"), OpenMode::Read);
        readLine(*file);
        EXPECT_FALSE(writeText(*file, raw("x")));
        EXPECT_FALSE(insertLine(*file, raw("x")));
        EXPECT_EQ(filePosition(*file), 3);
        EXPECT_EQ(contents(), "abc");
    }
    // A full disk.
    const ByteText path = book("");
    EXPECT_EQ(
        test::inChildProcess([&] {
            platform::testing::setFaultHook([](platform::testing::Call, std::size_t& bytes) {
                bytes = 0;
                return platform::FileError::DiskFull;
            });
            const OpenedFile full(path, OpenMode::Modify);
            return *full != 0 && !writeText(*full, raw("abc")) && filePosition(*full) == 0 ? 0 : 1;
        }),
        0);
}

TEST_F(TextFileTest, ReadingAWriteOnlyHandleEndsAtTheEnd) {
    const OpenedFile file(book("abc\ndef"), OpenMode::Modify);
    EXPECT_EQ(readLine(*file), ByteText());
    EXPECT_EQ(filePosition(*file), 7);
    ASSERT_TRUE(writeText(*file, raw("!")));  // at the end, as the read left it
    EXPECT_EQ(contents(), "abc\ndef!");
}

TEST_F(TextFileTest, InsertLineMovesTheRestDown) {
    {
        const OpenedFile file(book("ab\r\ncd"), OpenMode::ReadWrite);
        readLine(*file);
        EXPECT_TRUE(insertLine(*file, raw("X")));
        EXPECT_EQ(filePosition(*file), 7);
        EXPECT_EQ(contents(), "ab\r\nX\r\ncd");
        EXPECT_TRUE(insertLine(*file, ByteText()));
        EXPECT_EQ(contents(), "ab\r\nX\r\n\r\ncd");
    }
    {
        const OpenedFile file(book("ab"), OpenMode::ReadWrite);
        seekToEnd(*file);
        EXPECT_TRUE(insertLine(*file, raw("\r\nX")));
        EXPECT_EQ(contents(), "ab\r\nX\r\n");
    }
}

TEST_F(TextFileTest, InsertLineInFilesLargerThanOneBlock) {
    // No stop bytes, so readText can move the position to any offset.
    std::mt19937 random(7);
    std::string original(10000, ' ');
    for (char& c : original) {
        c = static_cast<char>(0x20 + random() % 0xE0);
    }
    for (const std::int32_t at : {0, 1, 1808, 5000, 5904, 9999, 10000}) {
        SCOPED_TRACE("at " + std::to_string(at));
        const OpenedFile file(book(original), OpenMode::ReadWrite);
        readText(*file, at);
        ASSERT_EQ(filePosition(*file), at);
        EXPECT_TRUE(insertLine(*file, gbk("插入的一行")));
        const std::string line = std::string(gbk("插入的一行").bytes()) + "\r\n";
        EXPECT_EQ(filePosition(*file), at + static_cast<std::int32_t>(line.size()));
        std::string expected = original;
        expected.insert(static_cast<std::size_t>(at), line);
        EXPECT_EQ(contents(), expected);
    }
}

// Runs `insertLine` in a child process that may not let any file grow past
// `limit` bytes, as on a disk that fills up; true when it reported success.
bool insertLineWithFileSizeLimit(const ByteText& path, std::int32_t at, const ByteText& line,
                                 rlim_t limit) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit fileSize{limit, limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        const TextFile file = openFile(path, OpenMode::ReadWrite);
        readText(file, at);
        _exit(insertLine(file, line) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(TextFileTest, InsertLineOnAFullDiskLeavesTheBookWhole) {
    std::string original;
    for (int i = 0; original.size() < 10000; ++i) {
        original += std::string(gbk("第" + std::to_string(i) + "行").bytes()) + "\r\n";
    }
    const ByteText path = book(original);
    for (const std::int32_t at : {0, 5000, static_cast<std::int32_t>(original.size())}) {
        SCOPED_TRACE("at " + std::to_string(at));
        EXPECT_FALSE(insertLineWithFileSizeLimit(path, at, gbk("插入"), original.size() + 3));
        EXPECT_EQ(contents(), original);
    }
    EXPECT_TRUE(insertLineWithFileSizeLimit(path, 0, gbk("插入"), original.size() + 6));
    EXPECT_EQ(contents(), std::string(gbk("插入").bytes()) + "\r\n" + original);
}

TEST_F(TextFileTest, OpenModesOnExistingFiles) {
    {
        const OpenedFile file(book(std::string(100, 'x')), OpenMode::Rewrite);
        ASSERT_NE(*file, 0);
        EXPECT_EQ(contents(), "");  // emptied at once, before any write
    }
    {
        const OpenedFile file(book("uvwxyz"), OpenMode::Modify);
        EXPECT_TRUE(writeText(*file, raw("ab")));
        EXPECT_EQ(contents(), "abwxyz");
    }
    for (const OpenMode mode : {OpenMode::Read, OpenMode::ReadWrite}) {
        const OpenedFile file(book("kept"), mode);
        ASSERT_NE(*file, 0);
        EXPECT_EQ(filePosition(*file), 0);
        EXPECT_EQ(contents(), "kept");
    }
}

TEST_F(TextFileTest, OpenModesOnMissingFiles) {
    for (const OpenMode mode : {OpenMode::Read, OpenMode::ReadWrite}) {
        const TextFile file = openFile(folder.codePagePath("missing.txt"), mode);
        EXPECT_EQ(file, 0);
        EXPECT_FALSE(std::filesystem::exists(folder.file("missing.txt")));
    }
    for (const OpenMode mode : {OpenMode::Rewrite, OpenMode::Modify}) {
        const OpenedFile file(folder.codePagePath("new.txt"), mode);
        ASSERT_NE(*file, 0);
        EXPECT_TRUE(std::filesystem::exists(folder.file("new.txt")));
        EXPECT_EQ(contents("new.txt"), "");
        std::filesystem::remove(folder.file("new.txt"));
    }
}

TEST_F(TextFileTest, RefusedOpensCreateNothing) {
    std::filesystem::create_directory(folder.file("folder"));
    for (const OpenMode mode :
         {OpenMode::Read, OpenMode::ReadWrite, OpenMode::Rewrite, OpenMode::Modify}) {
        EXPECT_EQ(openFile(folder.codePagePath("folder"), mode), 0);
        EXPECT_EQ(openFile(folder.codePagePath("no-such-folder/new.txt"), mode), 0);
        EXPECT_EQ(openFile(ByteText(), mode), 0);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("folder")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("no-such-folder")));
    EXPECT_EQ(openFile(book("x"), static_cast<OpenMode>(2)), 0);
}

TEST_F(TextFileTest, RefusedOpensSayWhy) {
    using platform::FileError;
    std::filesystem::create_directory(folder.file("folder"));
    const struct {
        ByteText path;
        FileError why;
    } cases[] = {
        {book("x"), FileError::None},
        {folder.codePagePath("missing.txt"), FileError::NotFound},
        {folder.codePagePath("folder"), FileError::IsFolder},
        {ByteText(), FileError::BadName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.bytes());
        FileError why = FileError::Other;
        const TextFile file = openFile(c.path, OpenMode::Read, why);
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(file != 0, c.why == FileError::None);
        closeFile(file);
    }
}

TEST_F(TextFileTest, FileIdentitySeesThroughOtherSpellingsAndLinks) {
    using platform::fileIdentity;
    const ByteText path = book("x", "书.txt");
    std::filesystem::create_hard_link(folder.file("书.txt"), folder.file("link.txt"));
    const ByteText other = book("x", "other.txt");
    const ByteText dotted = concatTexts(folder.codePagePath("."), gbk("/书.txt"));
    ASSERT_TRUE(fileIdentity(path));
    EXPECT_EQ(fileIdentity(path), fileIdentity(dotted));
    EXPECT_EQ(fileIdentity(path), fileIdentity(folder.codePagePath("link.txt")));
    EXPECT_NE(fileIdentity(path), fileIdentity(other));
    EXPECT_FALSE(fileIdentity(folder.codePagePath("missing.txt")));

    const auto opened =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    ASSERT_TRUE(opened.file);
    EXPECT_EQ(opened.file->identity(), fileIdentity(path));
}

TEST_F(TextFileTest, HandlesNamingNoFileGiveTheirNoFileResults) {
    const TextFile closed = openFile(book("abc\n"), OpenMode::ReadWrite);
    ASSERT_NE(closed, 0);
    closeFile(closed);
    for (const TextFile file : {TextFile{0}, closed, TextFile{-1}, TextFile{987654}}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(readLine(file), ByteText());
        EXPECT_EQ(readText(file, 10), ByteText());
        EXPECT_FALSE(writeText(file, raw("x")));
        EXPECT_FALSE(insertLine(file, raw("x")));
        EXPECT_FALSE(seekToEnd(file));
        EXPECT_EQ(filePosition(file), -1);
        EXPECT_TRUE(atEndOfFile(file));
        EXPECT_TRUE(atEndOfFile(file, true));
        closeFile(file);
    }
    EXPECT_EQ(contents(), "abc\n");
}

TEST_F(TextFileTest, HandlesKeepTheirOwnPositionsAndSeeEachOthersWrites) {
    const ByteText path = book("one\ntwo\n");
    const OpenedFile first(path, OpenMode::Read);
    const OpenedFile second(path, OpenMode::ReadWrite);
    ASSERT_NE(*first, *second);
    EXPECT_EQ(readLine(*first), raw("one"));
    EXPECT_EQ(filePosition(*second), 0);
    ASSERT_TRUE(writeText(*second, raw("ONE\nTWO")));
    EXPECT_EQ(readLine(*first), raw("TWO"));
}

TEST_F(TextFileTest, NonAsciiPathsReachTheRealFile) {
    std::filesystem::create_directory(folder.file("第一卷"));
    // 乗 is 81 5C: its second byte is a backslash on Windows.
    const ByteText path = folder.codePagePath("第一卷/乗《书名》.txt");
    {
        const OpenedFile file(path, OpenMode::Rewrite);
        ASSERT_NE(*file, 0);
        ASSERT_TRUE(writeText(*file, gbk("正文")));
    }
    EXPECT_EQ(readAll(folder.file("第一卷/乗《书名》.txt")), gbk("正文").bytes());
    const OpenedFile file(path, OpenMode::Read);
    EXPECT_EQ(readLine(*file), gbk("正文"));
}

TEST_F(TextFileTest, PathsOutsideTheCodePageAreRefused) {
    // No GB18030 sequence: it must not become some other file's name.
    const ByteText path = concatTexts(folder.codePagePath(""), raw("\x81\x20.txt"));
    EXPECT_EQ(openFile(path, OpenMode::Rewrite), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_FALSE(renameFile(book("x"), path));
}

TEST_F(TextFileTest, RenameNeverReplaces) {
    const ByteText first = book("first", "甲.txt");
    const ByteText second = book("second", "乙.txt");
    EXPECT_FALSE(renameFile(first, second));
    EXPECT_EQ(contents("甲.txt"), "first");
    EXPECT_EQ(contents("乙.txt"), "second");

    EXPECT_TRUE(renameFile(first, first));
    EXPECT_EQ(contents("甲.txt"), "first");

    EXPECT_FALSE(renameFile(folder.codePagePath("missing.txt"), folder.codePagePath("丙.txt")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("丙.txt")));
}

TEST_F(TextFileTest, RenameMovesTheFile) {
    std::filesystem::create_directory(folder.file("书"));
    const ByteText from = book("text", "旧名.txt");
    EXPECT_TRUE(renameFile(from, folder.codePagePath("书/新名.txt")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("旧名.txt")));
    EXPECT_EQ(contents("书/新名.txt"), "text");
    EXPECT_FALSE(
        renameFile(folder.codePagePath("书/新名.txt"), folder.codePagePath("无/新名.txt")));
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningProgram) {
    const auto program = std::filesystem::read_symlink("/proc/self/exe");
    const ByteText expected = *utf8ToCodePage(program.parent_path().string());
    EXPECT_EQ(programDirectory(), expected);
    EXPECT_NE(programDirectory().bytes().back(), '/');
}

}  // namespace
}  // namespace juanzhi
