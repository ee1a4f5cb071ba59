// Every writing job, ended at each of its calls to the OS in turn (as a
// killed process ends), or met there by a disk that has become full: each
// book and each output must be wholly old or wholly new afterwards, never a
// mix, and no passing file may outlive the next run.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "books/insert.h"
#include "books/merge.h"
#include "books/rename.h"
#include "books/replace.h"
#include "books/split.h"
#include "core/block_size.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "support/child_process.h"
#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using platform::FileError;
using platform::testing::Call;
using test::gbkBytes;
using test::inChildProcess;
using test::readAll;
using test::TempFolder;

namespace fs = std::filesystem;

constexpr int Crashed = 86;

// The OS call at which the child ends or the disk fills; counted in the
// child only, which is forked afresh for every point.
int stopAt = 0;
int callsSoFar = 0;

FileError crashAtStopPoint(Call, std::size_t&) {
    if (++callsSoFar == stopAt) {
        ::_exit(Crashed);
    }
    return FileError::None;
}

// From the stop point on, every write fails, the first after half its bytes.
FileError diskFullFromStopPoint(Call call, std::size_t& bytes) {
    if (call != Call::Write) {
        return FileError::None;
    }
    if (++callsSoFar < stopAt) {
        return FileError::None;
    }
    bytes = callsSoFar == stopAt ? bytes / 2 : 0;
    return FileError::DiskFull;
}

// A book of a little over a block in chapters of a quarter block, so that
// its copy takes two writes and its split a few pieces.
std::string bookText(const std::string& title) {
    const std::string line = gbkBytes("风雪夜归人，柴门闻犬吠。") + "\r\n";
    std::string text = gbkBytes(title + "\r\n");
    for (int chapter = 1; text.size() < BlockBytes + BlockBytes / 8; ++chapter) {
        text += gbkBytes("第" + std::to_string(chapter) + "章 雪夜\r\n");
        for (std::size_t size = 0; size < BlockBytes / 4; size += line.size()) {
            text += line;
        }
    }
    return text;
}

// The files of a folder by name, passing files left out.
using FolderState = std::map<std::string, std::string>;

bool isPassingFile(const fs::path& path) {
    return path.filename().string().rfind(".juanzhi-", 0) == 0;
}

FolderState stateOf(const fs::path& folder) {
    FolderState state;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && !isPassingFile(entry.path())) {
            state[fs::relative(entry.path(), folder).string()] = readAll(entry.path());
        }
    }
    return state;
}

int passingFilesIn(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        count += isPassingFile(entry.path()) ? 1 : 0;
    }
    return count;
}

// A job over the books of a folder; returns how many books or outputs it
// reported as failed.
struct Job {
    const char* name;
    std::function<int(const TempFolder&)> run;

    friend void PrintTo(const Job& job, std::ostream* out) { *out << job.name; }
};

std::vector<ByteText> books(const TempFolder& folder) {
    return {folder.codePagePath("a.txt"), folder.codePagePath("b.txt"),
            folder.codePagePath("c.txt")};
}

const Job Jobs[] = {
    {"replace",
     [](const TempFolder& folder) {
         return static_cast<int>(
             replaceInBooks(books(folder), test::gbk("雪夜"), test::gbk("月夜")).failures.size());
     }},
    {"insert",
     [](const TempFolder& folder) {
         return static_cast<int>(
             insertIntoBooks(books(folder), {true, true}, test::gbk("本书由卷帙坊整理")).size());
     }},
    {"merge",
     [](const TempFolder& folder) {
         return static_cast<int>(
             mergeBooks(books(folder), folder.codePagePath("合集.txt")).failures.size());
     }},
    {"split",
     [](const TempFolder& folder) {
         return static_cast<int>(splitBook(folder.codePagePath("a.txt"), test::gbk("卷"),
                                           Numbering::Suffix, folder.codePagePath("pieces"))
                                     .failures.size());
     }},
    {"rename",
     [](const TempFolder& folder) {
         int failed = 0;
         for (const auto& result : renameBooks(books(folder))) {
             failed += result.problem ? 1 : 0;
         }
         return failed;
     }},
};

class EveryWritingJob : public testing::TestWithParam<Job> {
  protected:
    void SetUp() override {
        const TempFolder folder(test::memoryFolderBase());
        prepare(folder);
        oldState = stateOf(folder.path());
        const TempFolder done(test::memoryFolderBase());
        prepare(done);
        ASSERT_EQ(GetParam().run(done), 0);
        newState = stateOf(done.path());
        ASSERT_NE(oldState, newState);
    }

    static void prepare(const TempFolder& folder) {
        folder.write("a.txt", bookText("《甲》作者：某人"));
        folder.write("b.txt", bookText("[乙]/某人"));
        folder.write("c.txt", bookText("丙"));
        folder.write("合集.txt", "an older merge\r\n");
        fs::create_directory(folder.file("pieces"));
        folder.write("pieces/卷_1.txt", "an older piece\r\n");
        folder.write("pieces/卷_9.txt", "a piece of another split\r\n");
    }

    // Each file holds its old or its new content, and each book is found
    // under exactly one of its names.
    // `failures` is what the job reported, or -1 when it was killed.
    void expectEachFileOldOrNew(const FolderState& state, int failures) const {
        for (const auto& [name, content] : state) {
            const auto old = oldState.find(name);
            const auto now = newState.find(name);
            const bool isOld = old != oldState.end() && old->second == content;
            const bool isNew = now != newState.end() && now->second == content;
            EXPECT_TRUE(isOld || isNew) << name << " is neither old nor new";
        }
        // A rename moves the content: the same book under both names would
        // be a copy, under neither a loss.
        std::multiset<std::string> contents;
        for (const auto& [name, content] : state) {
            contents.insert(content);
        }
        for (const auto& [name, content] : oldState) {
            if (std::string_view(GetParam().name) == "rename") {
                EXPECT_EQ(contents.count(content), 1u) << name;
            }
        }
        if (failures == 0) {
            EXPECT_EQ(state, newState);
        } else if (failures > 0) {
            EXPECT_NE(state, newState) << "failures reported, yet everything is done";
        }
    }

    FolderState oldState;
    FolderState newState;
};

TEST_P(EveryWritingJob, KilledAtAnyCallLeavesEachFileOldOrNew) {
    for (int point = 1;; ++point) {
        SCOPED_TRACE("killed at OS call " + std::to_string(point));
        const TempFolder folder(test::memoryFolderBase());
        prepare(folder);
        const int exitCode = inChildProcess([&] {
            stopAt = point;
            platform::testing::setFaultHook(crashAtStopPoint);
            return GetParam().run(folder);
        });
        const FolderState state = stateOf(folder.path());
        if (exitCode != Crashed) {
            ASSERT_EQ(exitCode, 0);
            EXPECT_EQ(state, newState);
            break;
        }
        expectEachFileOldOrNew(state, -1);

        // What the killed run left behind goes with the next run.
        PendingFile::clearAbandonedBeside(folder.codePagePath("a.txt"));
        PendingFile::clearAbandonedBeside(folder.codePagePath("pieces/卷_1.txt"));
        EXPECT_EQ(passingFilesIn(folder.path()), 0);
        ASSERT_LT(point, 200) << "the job never ended";
    }
}

TEST_P(EveryWritingJob, AFullDiskAtAnyWriteLeavesEachFileOldOrNewAndReportsIt) {
    for (int point = 1;; ++point) {
        SCOPED_TRACE("disk full from write " + std::to_string(point));
        const TempFolder trial(test::memoryFolderBase());
        prepare(trial);
        const int failures = inChildProcess([&] {
            stopAt = point;
            platform::testing::setFaultHook(diskFullFromStopPoint);
            return GetParam().run(trial);
        });
        ASSERT_GE(failures, 0);
        expectEachFileOldOrNew(stateOf(trial.path()), failures);
        EXPECT_EQ(passingFilesIn(trial.path()), 0);
        if (failures == 0) {
            break;
        }
        ASSERT_LT(point, 200) << "the job never ended";
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, EveryWritingJob, testing::ValuesIn(Jobs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace juanzhi
