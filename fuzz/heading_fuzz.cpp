// isChapterHeading against the heading rule read plainly: the first 第, the
// first 章 and the first 节 where a character starts, in the text in front
// of the line's first stop; a heading when 章 or 节 stands 1 to 19 bytes
// after 第.

#include <cstdint>
#include <string_view>

#include "books/split.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

bool naiveHeading(std::string_view line) {
    const std::string_view text = line.substr(0, naiveTextLength(line));
    const std::size_t e = naiveFind(text, "\xB5\xDA");  // 第
    const std::size_t f = naiveFind(text, "\xD5\xC2");  // 章
    const std::size_t g = naiveFind(text, "\xBD\xDA");  // 节
    const auto near = [e](std::size_t end) {
        return end != std::string_view::npos && end > e && end - e <= 19;
    };
    return e != std::string_view::npos && (near(f) || near(g));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const bool heading = juanzhi::isChapterHeading(line);
    check(heading == naiveHeading(line),
          heading ? "isChapterHeading takes a line that is no heading"
                  : "isChapterHeading misses a heading",
          {{"line", line}});
    return 0;
}
