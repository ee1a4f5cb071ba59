#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "books/failure.h"
#include "core/byte_text.h"

namespace juanzhi {

// Told of each book of a batch, in the order the books were given, as soon
// as it is done (`changed` when its content changed) or has failed.
using BookReported =
    std::function<void(const ByteText& book, const std::optional<Problem>& problem, bool changed)>;

// Gathers what becomes of each book of a batch, whose outcomes may be
// known out of order (a failure at once, a change once its group is on the
// disk), and passes them on in the books' order.
class BookOutcomes {
  public:
    BookOutcomes(const std::vector<ByteText>& books, BookReported reported)
        : books_(books), reported_(std::move(reported)) {}

    void known(std::size_t index, std::optional<Problem> problem, bool changed) {
        if (problem) {
            failures_.emplace(index, Failure{books_[index], *problem});
        }
        waiting_.emplace(index, Outcome{problem, changed});
        for (auto next = waiting_.begin(); next != waiting_.end() && next->first == next_;
             next = waiting_.erase(next), ++next_) {
            if (reported_) {
                reported_(books_[next_], next->second.problem, next->second.changed);
            }
        }
    }

    // The failures in the books' order.
    std::vector<Failure> failures() const {
        std::vector<Failure> ordered;
        ordered.reserve(failures_.size());
        for (const auto& [index, failure] : failures_) {
            ordered.push_back(failure);
        }
        return ordered;
    }

  private:
    struct Outcome {
        std::optional<Problem> problem;
        bool changed;
    };

    const std::vector<ByteText>& books_;
    BookReported reported_;
    std::map<std::size_t, Outcome> waiting_;
    std::size_t next_ = 0;
    std::map<std::size_t, Failure> failures_;
};

}  // namespace juanzhi
