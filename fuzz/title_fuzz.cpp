// Title recognition against the header rule read plainly, and the two
// header forms whose title is known in advance.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "books/title.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

constexpr std::string_view Open = "\xA1\xB6";   // 《
constexpr std::string_view Close = "\xA1\xB7";  // 》

bool holds(std::string_view text, std::string_view pattern) {
    return naiveFind(text, pattern) != std::string_view::npos;
}

// The text after `from` (a character start) up to the first `close` there,
// when something lies between.
std::optional<std::string> enclosed(std::string_view line, std::size_t from,
                                    std::string_view close) {
    const std::string_view rest = line.substr(from);
    const std::size_t end = naiveFind(rest, close);
    if (end == std::string_view::npos || end == 0) {
        return std::nullopt;
    }
    return std::string(rest.substr(0, end));
}

// The title by the rule read plainly: the whole line; between the first 《
// and the first 》 after it; or, with a "[", "[T]/" first, then a title in
// angle quotes, then "[" up to the first "/" (holding no "]"), then "[T]".
std::string naiveTitle(std::string_view line) {
    const auto angle = [&]() -> std::optional<std::string> {
        const std::size_t open = naiveFind(line, Open);
        return open == std::string_view::npos ? std::nullopt
                                              : enclosed(line, open + Open.size(), Close);
    };
    if (!holds(line, "[")) {
        return holds(line, Open) ? angle().value_or("") : std::string(line);
    }
    const std::size_t open = naiveFind(line, "[");
    const auto bracketed = enclosed(line, open + 1, "]");
    if (bracketed && line.substr(open + 1 + bracketed->size() + 1, 1) == "/") {
        return *bracketed;
    }
    if (const auto angled = angle()) {
        return *angled;
    }
    if (const auto slashed = enclosed(line, open + 1, "/"); slashed && !holds(*slashed, "]")) {
        return *slashed;
    }
    return bracketed.value_or("");
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
    if (!t.empty() && endsWhole(t) && !holds(t, "[") && !holds(t, "]") && !holds(t, "/")) {
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
