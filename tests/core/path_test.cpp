#include "core/path.h"

#include <gtest/gtest.h>

#include "core/character_rule.h"
#include "support/gbk.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::raw;

ByteText withSeparators(std::string_view utf8) {
    std::string path(utf8);
    for (char& c : path) {
        if (c == '/') {
            c = PathSeparator;
        }
    }
    return gbk(path);
}

TEST(Path, LastSeparatorFollowsTheCharacterRule) {
    const ByteText sep = pathSeparator();
    // The second byte of 81 xx is never a separator, whatever its value.
    const ByteText path = concatTexts(raw("a"), sep, raw("\x81"), sep);
    EXPECT_EQ(findLastSeparator(path), 2);
    EXPECT_EQ(findLastSeparator(raw("name.txt")), -1);
    EXPECT_EQ(folderOf(withSeparators("/书/第一章.txt")), withSeparators("/书"));
    EXPECT_EQ(folderOf(raw("name.txt")), ByteText());
    EXPECT_EQ(joinPath(withSeparators("/书"), gbk("合集.txt")), withSeparators("/书/合集.txt"));
}

// True when no character of `text` is cut: walking it by the character rule
// lands exactly on its end, with no lone lead byte at the end.
bool endsOnCharacterBoundary(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (isHighByte(static_cast<unsigned char>(text[at])) && at + 1 == text.size()) {
            return false;
        }
        at += characterLengthAt(text, at);
    }
    return at == text.size();
}

TEST(Path, CompactPathKeepsShortPathsWhole) {
    const ByteText fits = withSeparators("/home/reader/books/abcdefghijklmnopq/book.txt");
    ASSERT_LE(textLength(fits), 51);
    EXPECT_EQ(compactPath(fits, 52), fits);
}

TEST(Path, CompactPathKeepsTheFileName) {
    for (const char* utf8 : {
             "/home/reader/books/downloaded/2026/novels/book-with-long-name.txt",
             "/home/reader/小说/下载的书/二〇二六年/第一卷/斗破苍穹.txt",
             "/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/书.txt",
             "/我/甲乙丙丁戊己庚辛壬癸甲乙丙丁戊己庚辛壬癸甲乙丙丁戊己庚辛壬癸/书.txt",
         }) {
        const ByteText path = withSeparators(utf8);
        const ByteText tail = midText(path, findLastSeparator(path), textLength(path));
        const ByteText shown = compactPath(path, 52);
        SCOPED_TRACE(utf8);
        EXPECT_LE(textLength(shown), 51);
        EXPECT_NE(findText(shown, raw("...")), -1);
        EXPECT_EQ(midText(shown, textLength(shown) - textLength(tail) + 1, textLength(tail)), tail);
        EXPECT_TRUE(
            endsOnCharacterBoundary(leftText(shown, findText(shown, raw("...")) - 1).bytes()));
    }
}

TEST(Path, CompactPathShowsTheBeginningOfALongFileName) {
    const ByteText path =
        withSeparators("/书/" + std::string(30, 'a') + std::string("斗破苍穹斗破苍穹斗破苍穹.txt"));
    const ByteText shown = compactPath(path, 52);
    EXPECT_LE(textLength(shown), 51);
    EXPECT_EQ(midText(shown, textLength(shown) - 2, 3), raw("..."));
    EXPECT_EQ(leftText(shown, 30), raw(std::string(30, 'a')));
    EXPECT_TRUE(endsOnCharacterBoundary(leftText(shown, textLength(shown) - 3).bytes()));
}

TEST(Path, CompactPathWithinTinyCapacities) {
    const ByteText path = withSeparators("/folder/name.txt");
    EXPECT_EQ(compactPath(path, 0), ByteText());
    EXPECT_EQ(compactPath(path, 1), ByteText());
    EXPECT_LE(textLength(compactPath(path, 3)), 2);
    EXPECT_LE(textLength(compactPath(path, 8)), 7);
}

}  // namespace
}  // namespace juanzhi
