// Runs the built program on books in temporary folders, as a script would.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbkBytes;
using test::namesIn;
using test::readAll;
using test::TempFolder;

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs juanzhi-cli with `arguments` in `folder`; its output is kept apart,
// so the folder holds only what the program left there.
// A file-size limit, when given, holds for the program alone.
ProgramRun runCli(const TempFolder& folder, const std::vector<std::string>& arguments,
                  std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    const TempFolder outputs;
    const auto outPath = outputs.file("out");
    const auto errPath = outputs.file("err");
    std::vector<char*> argv{const_cast<char*>(JUANZHI_CLI)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
            ::dup2(err, STDERR_FILENO) < 0 || ::chdir(folder.path().c_str()) != 0) {
            ::_exit(127);
        }
        if (fileSizeLimit) {
            const rlimit limit{*fileSizeLimit, *fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(JUANZHI_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(outPath), readAll(errPath)};
}

const std::string TitledBook = gbkBytes("《风雪夜归人》作者：某人\r\n第一章 雪夜\r\n") +
                               std::string(80, 'a') + gbkBytes("\r\n第二章 归人\r\n") +
                               std::string(80, 'b') + "\r\n";

TEST(JuanzhiCli, RenamesToTheTitlesAndReportsTheRest) {
    const TempFolder folder;
    folder.write("a.txt", TitledBook);
    folder.write("无题.txt", "\r\nno title here\r\n");

    const ProgramRun run = runCli(folder, {"rename", "a.txt", "无题.txt", "gone.txt"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "a.txt → 风雪夜归人.txt\n");
    EXPECT_EQ(run.err, "无题.txt: 第一行中找不到书名\ngone.txt: 文件不存在\n");
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"无题.txt", "风雪夜归人.txt"}));
    EXPECT_EQ(readAll(folder.file("风雪夜归人.txt")), TitledBook);
}

TEST(JuanzhiCli, MergesInTheOrderGiven) {
    const TempFolder folder;
    folder.write("一.txt", gbkBytes("甲"));
    folder.write("二.txt", gbkBytes("乙\r\n"));

    const ProgramRun run = runCli(folder, {"merge", "-o", "全集.txt", "二.txt", "一.txt"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "二.txt → 全集.txt\n一.txt → 全集.txt\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readAll(folder.file("全集.txt")), gbkBytes("乙\r\n\r\n甲\r\n"));
}

TEST(JuanzhiCli, SplitsUnderTheTitleOrTheNameGiven) {
    const TempFolder folder;
    folder.write("book.txt", TitledBook);
    std::filesystem::create_directory(folder.file("卷"));

    const ProgramRun byTitle = runCli(folder, {"split", "--out", "卷", "book.txt"});
    EXPECT_EQ(byTitle.exitCode, 0);
    EXPECT_EQ(byTitle.out, "book.txt → 2 个文件: 卷/风雪夜归人_1.txt … 卷/风雪夜归人_2.txt\n");
    EXPECT_EQ(
        readAll(folder.file("卷/风雪夜归人_1.txt")) + readAll(folder.file("卷/风雪夜归人_2.txt")),
        TitledBook);

    const ProgramRun named = runCli(folder, {"split", "--prefix", "--name", "夜", "book.txt"});
    EXPECT_EQ(named.exitCode, 0);
    EXPECT_EQ(named.out, "book.txt → 2 个文件: 1_夜.txt … 2_夜.txt\n");
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"1_夜.txt", "2_夜.txt", "book.txt", "卷"}));

    folder.write("untitled.txt", "\r\n");
    const ProgramRun untitled = runCli(folder, {"split", "untitled.txt"});
    EXPECT_EQ(untitled.exitCode, 1);
    EXPECT_EQ(untitled.err, "untitled.txt: 第一行中找不到书名\n");
}

TEST(JuanzhiCli, ReplacesTypedTextInTheBooksCodePage) {
    const TempFolder folder;
    folder.write("a.txt", gbkBytes("风雪\r\n夜归人，风雪\r\n夜"));
    folder.write("b.txt", gbkBytes("无关"));

    // A text of two lines matches across a book's CR LF.
    const ProgramRun run = runCli(
        folder, {"replace", "--search", "风雪\n夜", "--with", "晴", "a.txt", "b.txt", "gone.txt"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "a.txt: 已改动\nb.txt: 无改动\n");
    EXPECT_EQ(run.err, "gone.txt: 文件不存在\n");
    EXPECT_EQ(readAll(folder.file("a.txt")), gbkBytes("晴归人，晴"));
    EXPECT_EQ(readAll(folder.file("b.txt")), gbkBytes("无关"));
}

TEST(JuanzhiCli, InsertsAtThePlacesAsked) {
    struct Case {
        std::vector<std::string> places;
        std::string expected;
    };
    // The book has no final line break, so the end line follows "body" at once.
    const std::string line = gbkBytes("插入") + "\r\n";
    const std::vector<Case> cases{
        {{}, "title\r\nbody\r\n" + line},
        {{"--end"}, "title\r\nbody\r\n" + line},
        {{"--second-line"}, "title\r\n" + line + "body"},
        {{"--second-line", "--end"}, "title\r\n" + line + "body\r\n" + line},
    };
    for (const Case& c : cases) {
        const TempFolder folder;
        folder.write("a.txt", "title\r\nbody");
        std::vector<std::string> arguments{"insert", "--text", "插入"};
        arguments.insert(arguments.end(), c.places.begin(), c.places.end());
        arguments.push_back("a.txt");

        const ProgramRun run = runCli(folder, arguments);

        SCOPED_TRACE(::testing::PrintToString(c.places));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, "a.txt: 已插入\n");
        EXPECT_EQ(readAll(folder.file("a.txt")), c.expected);
    }
}

TEST(JuanzhiCli, HelpsWithEachSubcommand) {
    const TempFolder folder;
    for (const std::string command : {"rename", "merge", "split", "replace", "insert"}) {
        const ProgramRun run = runCli(folder, {command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_NE(run.out.find("用法: juanzhi-cli " + command), std::string::npos) << run.out;
    }
}

TEST(JuanzhiCli, WrongUsageTouchesNothing) {
    const std::vector<std::vector<std::string>> usages{
        {},
        {"shuffle", "a.txt"},
        {"rename"},
        {"rename", "--fast", "a.txt"},
        {"merge", "a.txt"},
        {"split", "a.txt", "a.txt"},
        {"split", "--out", "missing", "a.txt"},
        {"split", "--out", "a.txt", "a.txt"},  // a file, not a folder
        {"replace", "--with", "x", "a.txt"},
        {"replace", "--search", "", "--with", "x", "a.txt"},
        {"insert", "a.txt"},
    };
    for (const auto& usage : usages) {
        const TempFolder folder;
        folder.write("a.txt", TitledBook);

        const ProgramRun run = runCli(folder, usage);

        SCOPED_TRACE(::testing::PrintToString(usage));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("juanzhi-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(readAll(folder.file("a.txt")), TitledBook);
    }
}

TEST(JuanzhiCli, TakesFileNamesExactlyAsGiven) {
    const TempFolder folder;
    folder.write("a\r\nb.txt", gbkBytes("书名\r\n"));
    folder.write("ab.txt", "another book\r\n");
    std::filesystem::create_directory(folder.file("卷一.txt"));

    const ProgramRun run = runCli(folder, {"rename", "a\r\nb.txt", "卷一.txt"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "a\r\nb.txt → 书名.txt\n");
    EXPECT_EQ(run.err, "卷一.txt: 这是文件夹，不是文件\n");
    EXPECT_EQ(readAll(folder.file("ab.txt")), "another book\r\n");
}

TEST(JuanzhiCli, AFileSizeLimitIsAReportedFailureThatLeavesNothingBehind) {
    const TempFolder folder;
    const std::string book = std::string(200000, 'a') + gbkBytes("雪");
    folder.write("a.txt", book);

    const ProgramRun run =
        runCli(folder, {"replace", "--search", "雪", "--with", "风", "a.txt"}, rlim_t{100000});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "a.txt: 磁盘空间不足\n");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(readAll(folder.file("a.txt")) == book);
}

TEST(JuanzhiCli, RefusesTextWithNoFormInTheCodePage) {
    // Bytes that are no UTF-8: GBK typed in a GBK terminal, for one.
    const std::string notUtf8 = "\xB7\xE7";
    const std::vector<std::vector<std::string>> refused{
        {"replace", "--search", notUtf8, "--with", "x", "a.txt", "b.txt"},
        {"replace", "--search", "a", "--with", notUtf8, "a.txt", "b.txt"},
        {"insert", "--text", notUtf8, "a.txt", "b.txt"},
        {"rename", "a.txt", notUtf8 + ".txt"},
        {"split", "--name", notUtf8, "a.txt"},
    };
    for (const auto& arguments : refused) {
        const TempFolder folder;
        folder.write("a.txt", TitledBook);
        folder.write("b.txt", "abc");

        const ProgramRun run = runCli(folder, arguments);

        SCOPED_TRACE(arguments.front());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("不是有效的 UTF-8"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(notUtf8), std::string::npos);  // never echoed raw
        EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(readAll(folder.file("a.txt")), TitledBook);
        EXPECT_EQ(readAll(folder.file("b.txt")), "abc");
    }
}

}  // namespace
}  // namespace juanzhi
