// The byte-text searches against a plain walk over the whole text, and what
// a mended file name promises.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "books/file_name.h"
#include "core/byte_text.h"
#include "core/text_file.h"
#include "fuzz_support.h"

namespace {

using namespace fuzz;

void checkSearches(std::string_view text, std::string_view pattern, std::string_view replacement,
                   std::size_t pick) {
    check(juanzhi::textLengthBeforeStop(text) == naiveTextLength(text),
          "textLengthBeforeStop agrees with the walk", {{"text", text}});

    // Any character start may be where a search goes on, the end included.
    std::vector<std::size_t> starts = characterStarts(text);
    starts.push_back(text.size());
    const std::size_t from = starts[pick % starts.size()];
    if (!pattern.empty()) {
        const std::string at = std::to_string(from);
        check(juanzhi::findBytes(text, pattern, from) == naiveFind(text, pattern, from),
              "findBytes agrees with the walk",
              {{"text", text}, {"pattern", pattern}, {"from (decimal)", at, true}});
    }
    check(juanzhi::replaceAllBytes(text, pattern, replacement) ==
              naiveReplaceAll(text, pattern, replacement),
          "replaceAllBytes agrees with the walk",
          {{"text", text}, {"search", pattern}, {"replacement", replacement}});
}

bool isBlank(std::string_view character) {
    return character == " " || character == "\xA1\xA1";
}

void checkMendedName(const juanzhi::ByteText& title) {
    const juanzhi::ByteText mended = juanzhi::mendFileName(title);
    const std::string_view name = mended.bytes();
    const auto shown = {Shown{"title", title.bytes()}, Shown{"mended", name}};
    const std::vector<std::size_t> starts = characterStarts(name);
    for (const std::size_t at : starts) {
        if (characterLength(name, at) == 2) {
            continue;  // a pair is a character of the code page, whatever its second byte
        }
        const auto byte = static_cast<unsigned char>(name[at]);
        check(!isHigh(name[at]), "a mended name never ends in a lone lead byte", shown);
        check(byte >= 0x20 && byte != 0x7F, "a mended name holds no control byte", shown);
        check(std::string_view("\\/:*?\"<>|").find(name[at]) == std::string_view::npos,
              "a mended name holds none of \\ / : * ? \" < > |", shown);
    }
    if (!starts.empty()) {
        const std::string_view first = name.substr(0, characterLength(name, 0));
        const std::string_view last = name.substr(starts.back());
        check(!isBlank(first), "a mended name starts with no blank", shown);
        check(!isBlank(last) && last != ".", "a mended name ends in no blank and no dot", shown);
    }
    check(juanzhi::mendFileName(mended) == mended, "mending a mended name changes nothing", shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto pick = input.ConsumeIntegral<std::uint16_t>();
    const std::string pattern = input.ConsumeRandomLengthString(16);
    const std::string replacement = input.ConsumeRandomLengthString(16);
    const std::string text = input.ConsumeRemainingBytesAsString();
    checkSearches(text, pattern, replacement, pick);
    checkMendedName(juanzhi::ByteText(text));
    return 0;
}
