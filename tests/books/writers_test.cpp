// Two runs on one book, and books reached through links: each change lands
// on the book itself, and none is lost.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "books/insert.h"
#include "books/merge.h"
#include "books/replace.h"
#include "books/split.h"
#include "core/platform.h"
#include "support/child_process.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using platform::FileError;
using test::gbk;
using test::gbkBytes;
using test::readAll;
using test::TempFolder;

namespace fs = std::filesystem;

// Holds the first writer at its first write for a while, as a large book
// would, so that the second starts while the first is busy.
FileError pauseAtFirstWrite(platform::testing::Call call, std::size_t&) {
    static bool paused = false;
    if (call == platform::testing::Call::Write && !paused) {
        paused = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    return FileError::None;
}

// Runs `first` and, once it is under way, `second`, each in a process of
// its own; gives their exit codes.
std::pair<int, int> runTogether(const std::function<int()>& first,
                                const std::function<int()>& second) {
    const pid_t firstChild = ::fork();
    if (firstChild == 0) {
        platform::testing::setFaultHook(pauseAtFirstWrite);
        ::_exit(first());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int secondCode = test::inChildProcess(second);
    int status = 0;
    ::waitpid(firstChild, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, secondCode};
}

class TwoWriters : public testing::Test {
  protected:
    ByteText book() const { return folder.codePagePath("书.txt"); }

    int replace(const char* search, const char* with) const {
        return static_cast<int>(replaceInBooks({book()}, gbk(search), gbk(with)).failures.size());
    }

    int insert(const char* line) const {
        return static_cast<int>(insertIntoBooks({book()}, {false, true}, gbk(line)).size());
    }

    TempFolder folder;
};

TEST_F(TwoWriters, BothEditsOfOneBookSurvive) {
    folder.write("书.txt", gbkBytes("甲乙\r\n"));
    const auto [first, second] =
        runTogether([&] { return replace("甲", "丙"); }, [&] { return replace("乙", "丁"); });
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(readAll(book()), gbkBytes("丙丁\r\n"));
}

TEST_F(TwoWriters, AnInsertionAndAReplacementBothSurvive) {
    folder.write("书.txt", gbkBytes("甲\r\n"));
    const auto [first, second] =
        runTogether([&] { return insert("后记"); }, [&] { return replace("甲", "乙"); });
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(readAll(book()), gbkBytes("乙\r\n\r\n后记\r\n"));
}

TEST_F(TwoWriters, AMergeOverABookBeingChangedWaitsForTheChange) {
    folder.write("书.txt", gbkBytes("甲\r\n"));
    const ByteText other = folder.book("另一本.txt", gbkBytes("乙"));
    const auto [first, second] =
        runTogether([&] { return replace("甲", "丙"); },
                    [&] { return mergeBooks({other}, book()).written ? 0 : 1; });
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    // The merge came second, over the changed book: neither run's work is
    // lost behind the other's back.
    EXPECT_EQ(readAll(book()), gbkBytes("乙\r\n"));
}

TEST_F(TwoWriters, ABookListedTwiceIsChangedTwiceWithoutWaitingForItself) {
    folder.write("书.txt", gbkBytes("甲\r\n"));
    const std::vector<Failure> failures =
        insertIntoBooks({book(), book()}, {false, true}, gbk("完"));
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(readAll(book()), gbkBytes("甲\r\n\r\n完\r\n\r\n完\r\n"));
}

// ---- Links ----------------------------------------------------------------

class Links : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(folder.file("library"));
        folder.write("library/书.txt", gbkBytes("雪\r\n"));
        fs::create_symlink(folder.file("library/书.txt"), folder.file("link.txt"));
    }

    std::string target() const { return readAll(folder.file("library/书.txt")); }

    TempFolder folder;
};

TEST_F(Links, ChangesGoToTheBookALinkNamesAndTheLinkStays) {
    const ByteText link = folder.codePagePath("link.txt");
    const ReplaceResult replaced = replaceInBooks({link}, gbk("雪"), gbk("风"));
    EXPECT_TRUE(replaced.failures.empty());
    EXPECT_EQ(replaced.changed, std::vector<ByteText>{link});
    EXPECT_TRUE(insertIntoBooks({link}, {false, true}, gbk("完")).empty());

    EXPECT_TRUE(fs::is_symlink(folder.file("link.txt")));
    EXPECT_EQ(target(), gbkBytes("风\r\n\r\n完\r\n"));
    EXPECT_EQ(test::namesIn(folder.file("library")), std::vector<std::string>{"书.txt"});
}

TEST_F(Links, ALinkWhoseBookCannotBeNamedIsLeftAsItIsAndReported) {
    // A folder whose name is no UTF-8 (GBK bytes from an old archive), and
    // a link whose book is gone.
    const fs::path gbkFolder = folder.path() / std::string("\xCA\xE9");
    fs::create_directory(gbkFolder);
    std::ofstream(gbkFolder / "book.txt") << "hello";
    fs::create_symlink(gbkFolder / "book.txt", folder.file("unnamable.txt"));
    fs::create_symlink(folder.file("gone.txt"), folder.file("dangling.txt"));
    const ByteText unnamable = folder.codePagePath("unnamable.txt");
    const ByteText dangling = folder.codePagePath("dangling.txt");

    EXPECT_EQ(replaceInBooks({unnamable, dangling}, gbk("hello"), gbk("HELLO")).failures,
              (std::vector<Failure>{{unnamable, Problem::BadName}, {dangling, Problem::NotFound}}));
    EXPECT_EQ(insertIntoBooks({unnamable}, {false, true}, gbk("x")),
              (std::vector<Failure>{{unnamable, Problem::BadName}}));

    EXPECT_TRUE(fs::is_symlink(folder.file("unnamable.txt")));
    EXPECT_TRUE(fs::is_symlink(folder.file("dangling.txt")));
    EXPECT_EQ(readAll(gbkFolder / "book.txt"), "hello");
}

TEST_F(Links, AnOutputReplacesALinkOfItsNameNeverTheFileItNames) {
    const ByteText source =
        folder.book("source.txt", gbkBytes("第一章\r\n") + std::string(80, 'a'));
    fs::create_directory(folder.file("out"));
    fs::create_symlink(folder.file("library/书.txt"), folder.file("out/卷_1.txt"));
    fs::create_symlink(folder.file("library/书.txt"), folder.file("out/合集.txt"));

    EXPECT_EQ(
        splitBook(source, gbk("卷"), Numbering::Suffix, folder.codePagePath("out")).pieceCount, 1);
    EXPECT_TRUE(mergeBooks({source}, folder.codePagePath("out/合集.txt")).written);

    EXPECT_EQ(target(), gbkBytes("雪\r\n"));
    EXPECT_FALSE(fs::is_symlink(folder.file("out/卷_1.txt")));
    EXPECT_FALSE(fs::is_symlink(folder.file("out/合集.txt")));
    EXPECT_EQ(readAll(folder.file("out/卷_1.txt")), readAll(folder.file("source.txt")));
}

}  // namespace
}  // namespace juanzhi
