#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace juanzhi::cli {
namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

// A clock the test moves by hand.
struct HandClock {
    Time now{};
    ProgressLine::Clock clock() {
        return [this] { return now; };
    }
};

TEST(ProgressLine, StaysAwayFromAShortBatch) {
    std::ostringstream terminal;
    HandClock time;
    {
        ProgressLine progress(terminal, true, 10, time.clock());
        time.now += ProgressLine::Delay - 1ms;
        progress.advance();
        progress.advance();
    }
    EXPECT_EQ(terminal.str(), "");
}

TEST(ProgressLine, CountsALongBatchAtMostEveryInterval) {
    std::ostringstream terminal;
    HandClock time;
    ProgressLine progress(terminal, true, 1000, time.clock());
    time.now += ProgressLine::Delay;
    progress.advance();
    EXPECT_EQ(terminal.str(), "\r1/1000 本");
    progress.advance();  // too soon to redraw
    EXPECT_EQ(terminal.str(), "\r1/1000 本");
    time.now += ProgressLine::Interval;
    progress.advance();
    EXPECT_EQ(terminal.str(), "\r1/1000 本\r3/1000 本");
    terminal.str("");
    progress.clear();
    EXPECT_EQ(terminal.str(), "\r         \r");  // as wide as "3/1000 本"
    terminal.str("");
    progress.clear();  // nothing left to take away
    EXPECT_EQ(terminal.str(), "");
}

TEST(ProgressLine, NeverShowsWhereThereIsNoTerminal) {
    std::ostringstream notTerminal;
    HandClock time;
    ProgressLine progress(notTerminal, false, 1000, time.clock());
    for (int book = 0; book < 10; ++book) {
        time.now += 1s;
        progress.advance();
    }
    EXPECT_EQ(notTerminal.str(), "");
}

TEST(ProgressLine, LeavesNoLineBehindAtTheEnd) {
    std::ostringstream terminal;
    HandClock time;
    {
        ProgressLine progress(terminal, true, 3, time.clock());
        time.now += 1s;
        progress.advance();
        time.now += 1s;
        progress.advance();
        time.now += 1s;
        progress.advance();  // the last: no line for a finished batch
    }
    EXPECT_EQ(terminal.str(), "\r1/3 本\r2/3 本\r      \r");
}

}  // namespace
}  // namespace juanzhi::cli
