// Title recognition against the header rule read plainly, and the two
// header forms whose title is known in advance.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "books/title.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

constexpr std::string_view Open = "\xA1\xB6";   // 《
constexpr std::string_view Close = "\xA1\xB7";  // 》

std::size_t naiveLast(std::string_view line, std::string_view pattern) {
    std::size_t last = std::string_view::npos;
    for (const std::size_t at : characterStarts(line)) {
        if (line.substr(at, pattern.size()) == pattern) {
            last = at;
        }
    }
    return last;
}

bool holds(std::string_view text, std::string_view pattern) {
    return naiveFind(text, pattern) != std::string_view::npos;
}

// The title by the rule, with 0-based offsets: after the first opening mark
// up to the last closing mark (in the bracketed form, up to one byte in
// front of the last slash); nothing when that is empty or reversed.
std::string naiveTitle(std::string_view line) {
    const auto between = [&](std::size_t open, std::size_t openLength, std::size_t close,
                             std::size_t dropped) -> std::string {
        if (close == std::string_view::npos) {
            return {};
        }
        const auto from = static_cast<long>(open + openLength);
        const long end = static_cast<long>(close) - static_cast<long>(dropped);
        if (end <= from) {
            return {};
        }
        return std::string(
            line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end - from)));
    };
    if (holds(line, "[")) {
        return between(naiveFind(line, "["), 1, naiveLast(line, "/"), 1);
    }
    if (holds(line, Open)) {
        return between(naiveFind(line, Open), 2, naiveLast(line, Close), 0);
    }
    return std::string(line);
}

std::string titleOf(std::string_view line) {
    const juanzhi::ByteText text(line);
    return std::string(juanzhi::extractTitle(text, juanzhi::detectTitleStyle(text)).bytes());
}

// Ends on a whole character (no lead byte waiting for a second one), so
// that a mark after it is a character of its own.
bool endsWhole(std::string_view text) {
    const auto starts = characterStarts(text);
    return starts.empty() || !isHigh(text[starts.back()]) ||
           characterLength(text, starts.back()) == 2;
}

void checkLine(std::string_view line) {
    const std::string title = titleOf(line);
    check(line.find(title) != std::string_view::npos, "the title is a contiguous part of the line",
          {{"line", line}, {"title", title}});
    check(title == naiveTitle(line), "the title agrees with the header rule",
          {{"line", line}, {"title", title}});
}

void checkKnownForms(std::string_view t, std::string_view rest) {
    const std::string angled =
        std::string(Open) + std::string(t) + std::string(Close) + std::string(rest);
    if (endsWhole(t) && !holds(t, Open) && !holds(t, Close) && !holds(t, "[") &&
        !holds(rest, "[") && !holds(rest, Close)) {
        check(titleOf(angled) == t, "《T》rest gives T", {{"line", angled}, {"T", t}});
    }
    const std::string bracketed = "[" + std::string(t) + "]/" + std::string(rest);
    if (!holds(t, "[") && !holds(t, "]") && !holds(t, "/") && !holds(rest, "/")) {
        check(titleOf(bracketed) == t, "[T]/A gives T", {{"line", bracketed}, {"T", t}});
    }
}

std::string withoutNul(std::string text) {
    std::erase(text, '\0');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    checkLine(withoutNul(std::string(whole)));
    FuzzedDataProvider input(data, size);
    const std::string t = withoutNul(input.ConsumeRandomLengthString(32));
    const std::string rest = withoutNul(input.ConsumeRemainingBytesAsString());
    checkKnownForms(t, rest);
    return 0;
}
