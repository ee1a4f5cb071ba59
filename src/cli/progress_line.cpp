#include "cli/progress_line.h"

#include <string>
#include <utility>

namespace juanzhi::cli {

ProgressLine::ProgressLine(std::ostream& terminal, bool shown, std::size_t total, Clock clock)
    : terminal_(terminal), shown_(shown), total_(total), clock_(std::move(clock)) {
    if (shown_) {
        start_ = clock_();
    }
}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::advance() {
    ++done_;
    if (!shown_ || done_ >= total_) {
        return;
    }
    const auto now = clock_();
    if (now - start_ < Delay || (width_ > 0 && now - drawn_ < Interval)) {
        return;
    }
    const std::string count = std::to_string(done_) + "/" + std::to_string(total_);
    const std::string line = count + " 本";
    // Columns, not bytes: 本 is three bytes wide in UTF-8 and two on the
    // terminal.
    const std::size_t columns = count.size() + 3;
    // Blanks over what is left of a longer line before: no terminal
    // control sequences, which not every console reads.
    const std::size_t blanks = width_ > columns ? width_ - columns : 0;
    terminal_ << '\r' << line << std::string(blanks, ' ') << std::flush;
    width_ = columns;
    drawn_ = now;
}

void ProgressLine::clear() {
    if (width_ == 0) {
        return;
    }
    terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

}  // namespace juanzhi::cli
