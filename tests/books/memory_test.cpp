// No job's memory grows with the length of a line or of a book. Each job
// runs in a child process whose peak memory is compared with its own before.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "books/insert.h"
#include "books/merge.h"
#include "books/rename.h"
#include "books/replace.h"
#include "books/split.h"
#include "support/child_process.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::TempFolder;

constexpr long AllowedGrowthMiB = 16;

long peakMemoryKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// How many MiB the peak memory grew while `job` ran, in a child process;
// 255 when the job failed its own check.
int memoryGrowthMiB(const std::function<bool()>& job) {
    return test::inChildProcess([&] {
        const long before = peakMemoryKiB();
        if (!job()) {
            return 255;
        }
        return static_cast<int>(std::min<long>(254, (peakMemoryKiB() - before) / 1024));
    });
}

class BoundedMemory : public testing::Test {
  protected:
    // One line of 64 MiB, with no line break: a title it cannot be.
    ByteText longLine() const {
        folder.write("line.txt", std::string(std::size_t{64} << 20, 'a'));
        return folder.codePagePath("line.txt");
    }

    // 4.5 GiB of nothing: a file that takes no room on the disk.
    ByteText sparseFile() const {
        const auto path = folder.write("sparse.txt", "");
        std::filesystem::resize_file(path, (std::uintmax_t{9} << 30) / 2);
        return folder.codePagePath("sparse.txt");
    }

    TempFolder folder;
};

TEST_F(BoundedMemory, ALongLineIsNeverHeldWhole) {
    const ByteText line = longLine();
    std::filesystem::create_directory(folder.file("pieces"));
    EXPECT_LT(memoryGrowthMiB([&] {
                  return renameBooks({line})[0].problem == Problem::BadName &&
                         readBookTitle(line).problem == Problem::BadName;
              }),
              AllowedGrowthMiB);
    EXPECT_LT(memoryGrowthMiB([&] {
                  const auto result =
                      splitBook(line, gbk("卷"), Numbering::Suffix, folder.codePagePath("pieces"));
                  return result.failures.empty() && result.pieceCount == 1;
              }),
              AllowedGrowthMiB);
    EXPECT_LT(memoryGrowthMiB([&] {
                  return replaceInBooks({line}, gbk("b"), gbk("c")).failures.empty() &&
                         insertIntoBooks({line}, {true, true}, gbk("完")).empty();
              }),
              AllowedGrowthMiB);
}

TEST_F(BoundedMemory, AHugeFileOfNothingIsReportedAsNoText) {
    const ByteText sparse = sparseFile();
    const std::vector<Failure> notText{{sparse, Problem::NotPlainText}};
    EXPECT_LT(memoryGrowthMiB([&] {
                  return mergeBooks({sparse}, folder.codePagePath("合集.txt")).failures ==
                             notText &&
                         replaceInBooks({sparse}, gbk("a"), gbk("b")).failures == notText &&
                         insertIntoBooks({sparse}, {true, true}, gbk("完")) == notText &&
                         renameBooks({sparse})[0].problem == Problem::NoTitle;
              }),
              AllowedGrowthMiB);
    EXPECT_EQ(std::filesystem::file_size(folder.file("sparse.txt")), (std::uintmax_t{9} << 30) / 2);
}

}  // namespace
}  // namespace juanzhi
