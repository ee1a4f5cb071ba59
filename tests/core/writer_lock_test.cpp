#include "core/writer_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>
#include <thread>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using namespace std::chrono_literals;
using platform::Access;
using platform::FileError;
using test::TempFolder;

TEST(WriterLock, ASecondWriterWaitsThenReportsTheFileInUseWhileReadersGoOn) {
    const TempFolder folder;
    const ByteText book = folder.book("书.txt", "text");
    const auto held = openForWriting(book, Access::ReadOnly);
    ASSERT_TRUE(held.file);

    // Another process, as another run of the program would be.
    EXPECT_EQ(test::inChildProcess([&] {
                  return static_cast<int>(openForWriting(book, Access::ReadWrite, 50ms).error);
              }),
              static_cast<int>(FileError::Busy));
    const auto reader = platform::openFile(book, Access::ReadOnly, platform::Creation::MustExist);
    EXPECT_TRUE(reader.file);
}

TEST(WriterLock, ClosingAnotherHandleOfTheFileKeepsTheLock) {
    const TempFolder folder;
    const ByteText book = folder.book("书.txt", "text");
    const auto held = openForWriting(book, Access::ReadOnly);
    ASSERT_TRUE(held.file);
    platform::openFile(book, Access::ReadWrite, platform::Creation::MustExist);  // closed at once

    EXPECT_EQ(test::inChildProcess([&] {
                  return static_cast<int>(openForWriting(book, Access::ReadOnly, 0ms).error);
              }),
              static_cast<int>(FileError::Busy));
}

TEST(WriterLock, AFileReplacedWhileWaitingIsOpenedAfresh) {
    const TempFolder folder;
    const ByteText book = folder.book("书.txt", "old");
    auto held = openForWriting(book, Access::ReadOnly);
    ASSERT_TRUE(held.file);
    const pid_t child = ::fork();
    if (child == 0) {
        const auto opened = openForWriting(book, Access::ReadOnly, 2000ms);
        char bytes[3] = {};
        const auto got = opened.file ? opened.file->readAt(0, bytes, 3) : std::nullopt;
        ::_exit(got == 3u && std::string_view(bytes, 3) == "new" ? 0 : 1);
    }
    // The first writer puts its new file in place, then lets go.
    std::this_thread::sleep_for(100ms);
    folder.write("new.txt", "new");
    std::filesystem::rename(folder.file("new.txt"), folder.file("书.txt"));
    held.file.reset();
    int status = 0;
    ::waitpid(child, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace juanzhi
