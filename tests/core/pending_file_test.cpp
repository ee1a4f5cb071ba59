#include "core/pending_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using platform::FileError;
using test::namesIn;
using test::readAll;
using test::TempFolder;

namespace fs = std::filesystem;

TEST(PendingFileTest, TargetStaysWholeUntilTheCommitReplacesIt) {
    const TempFolder folder;
    folder.write("书.txt", "old content");
    const ByteText target = folder.codePagePath("书.txt");
    FileError why = FileError::Other;
    auto pending = PendingFile::create(target, why);
    ASSERT_TRUE(pending);
    EXPECT_EQ(why, FileError::None);
    EXPECT_EQ(pending->append("new "), FileError::None);
    EXPECT_EQ(pending->append("content, longer"), FileError::None);
    EXPECT_EQ(readAll(folder.file("书.txt")), "old content");
    EXPECT_EQ(namesIn(folder.path()).size(), 2u);

    EXPECT_EQ(pending->commit(), FileError::None);
    EXPECT_EQ(readAll(folder.file("书.txt")), "new content, longer");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"书.txt"});
}

TEST(PendingFileTest, ADroppedFileLeavesNothingBehind) {
    const TempFolder folder;
    folder.write("book.txt", "old");
    {
        FileError why = FileError::None;
        auto pending = PendingFile::create(folder.codePagePath("book.txt"), why);
        ASSERT_TRUE(pending);
        pending->append("never committed");
        const PendingFile movedAway = std::move(*pending);
    }
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"book.txt"});
    EXPECT_EQ(readAll(folder.file("book.txt")), "old");
}

TEST(PendingFileTest, CutBackDropsWhatWasWrittenAfter) {
    const TempFolder folder;
    FileError why = FileError::None;
    auto pending = PendingFile::create(folder.codePagePath("new.txt"), why);
    ASSERT_TRUE(pending);
    pending->append("kept|");
    const std::int64_t mark = pending->size();
    pending->append("a long part that is taken back");
    pending->cutBack(mark);
    pending->append("end");
    ASSERT_EQ(pending->commit(), FileError::None);
    EXPECT_EQ(readAll(folder.file("new.txt")), "kept|end");
}

TEST(PendingFileTest, SmallAndLargePiecesAndCutsBackKeepTheirOrder) {
    // Small pieces are gathered in blocks and large ones written at once;
    // cuts back land inside a gathered block and behind written ones.
    const std::string large(3 << 20, 'L');
    const std::string small(700'000, 's');
    struct Step {
        std::string append;
        std::int64_t cutBackTo = -1;  // before the append, when not -1
    };
    const std::vector<Step> steps{
        {small},
        {small},
        {"x"},
        {large},
        {"y"},
        {"z", static_cast<std::int64_t>(2 * small.size() + 1 + large.size())},  // drops y
        {small, 10},  // into a written block
        {"end"},
    };
    const TempFolder folder;
    FileError why = FileError::None;
    auto pending = PendingFile::create(folder.codePagePath("new.txt"), why);
    ASSERT_TRUE(pending);
    std::string expected;
    for (const Step& step : steps) {
        if (step.cutBackTo >= 0) {
            pending->cutBack(step.cutBackTo);
            expected.resize(static_cast<std::size_t>(step.cutBackTo));
        }
        ASSERT_EQ(pending->append(step.append), FileError::None);
        expected += step.append;
        ASSERT_EQ(pending->size(), static_cast<std::int64_t>(expected.size()));
    }
    ASSERT_EQ(pending->commit(), FileError::None);
    EXPECT_TRUE(readAll(folder.file("new.txt")) == expected);
}

TEST(PendingFileTest, CommitOverKeepsTheOriginalsPermissions) {
    const TempFolder folder;
    const auto book = folder.write("book.txt", "old");
    fs::permissions(book, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const ByteText path = folder.codePagePath("book.txt");
    auto original =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    ASSERT_TRUE(original.file);
    FileError why = FileError::None;
    auto pending = PendingFile::create(path, why);
    ASSERT_TRUE(pending);
    pending->append("new");
    ASSERT_EQ(pending->commitOver(*original.file), FileError::None);
    EXPECT_EQ(readAll(book), "new");
    EXPECT_EQ(fs::status(book).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(PendingFileTest, AMissingFolderIsRefusedWithItsReason) {
    const TempFolder folder;
    FileError why = FileError::None;
    EXPECT_FALSE(PendingFile::create(folder.codePagePath("gone/book.txt"), why));
    EXPECT_EQ(why, FileError::NotFound);
}

TEST(PendingFileTest, ALaterRunClearsOnlyWhatAKilledRunLeftBehind) {
    const TempFolder folder;
    const ByteText target = folder.codePagePath("书.txt");
    // A run killed while writing: its passing file stays, and its lock ends.
    ASSERT_EQ(test::inChildProcess([&]() -> int {
                  FileError why = FileError::None;
                  const auto abandoned = PendingFile::create(target, why);
                  ::_exit(abandoned ? 0 : 1);
              }),
              0);
    FileError why = FileError::None;
    auto living = PendingFile::create(target, why);
    ASSERT_TRUE(living);
    folder.write(".juanzhi-notours.tmp", "kept");
    folder.write(".juanzhi-0123abcd.txt", "kept");
    // Whatever else bears a passing name is not ours, and is never waited on.
    ASSERT_EQ(::mkfifo(folder.file(".juanzhi-fifo0000.tmp").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.file(".juanzhi-11111111.tmp"));
    ASSERT_EQ(namesIn(folder.path()).size(), 6u);

    PendingFile::clearAbandonedBeside(target);

    EXPECT_EQ(namesIn(folder.path()).size(), 5u);  // the killed run's file went
    EXPECT_EQ(living->append("whole"), FileError::None);
    EXPECT_EQ(living->commit(), FileError::None);
    EXPECT_EQ(readAll(folder.file("书.txt")), "whole");
}

TEST(PendingFileTest, WhereNoLockCanBeHadNoPassingFileIsLeft) {
    const TempFolder folder;
    const ByteText target = folder.codePagePath("书.txt");
    EXPECT_EQ(test::inChildProcess([&] {
                  platform::testing::setFaultHook([](platform::testing::Call call, std::size_t&) {
                      return call == platform::testing::Call::Lock ? FileError::Other
                                                                   : FileError::None;
                  });
                  FileError why = FileError::None;
                  return !PendingFile::create(target, why) && why == FileError::Other ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(namesIn(folder.path()).empty());
}

}  // namespace
}  // namespace juanzhi
