#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>

namespace juanzhi::cli {

// A line on the terminal that counts the books of a long batch. It shows
// itself only once the batch has run for a while, so a quick run prints
// nothing, and it is redrawn at most a few times a second, so a batch of
// many small books is not slowed by the terminal.
class ProgressLine {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds Delay{500};
    static constexpr std::chrono::milliseconds Interval{100};

    // `shown` is false where the stream is no terminal: the line never
    // appears there.
    ProgressLine(std::ostream& terminal, bool shown, std::size_t total,
                 Clock clock = std::chrono::steady_clock::now);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // One more book done.
    void advance();
    // Takes the line off the terminal, before other output and at the end.
    void clear();

  private:
    std::ostream& terminal_;
    bool shown_;
    std::size_t total_;
    std::size_t done_ = 0;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_{};
    std::size_t width_ = 0;  // of the line on the terminal, 0 when none is
};

}  // namespace juanzhi::cli
