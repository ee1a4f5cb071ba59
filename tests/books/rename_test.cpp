#include "books/rename.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/gbk.h"
#include "support/temp_folder.h"

namespace juanzhi {
namespace {

using test::gbk;
using test::gbkBytes;
using test::readAll;
using test::TempFolder;

class RenameBooks : public testing::Test {
  protected:
    // A book in the temporary folder holding `bytes`; its code-page path.
    ByteText book(std::string_view name, std::string_view bytes) {
        folder.write(name, bytes);
        return folder.codePagePath(name);
    }
    std::string contents(std::string_view name) { return readAll(folder.file(name)); }
    bool exists(std::string_view name) { return std::filesystem::exists(folder.file(name)); }

    TempFolder folder;
};

TEST_F(RenameBooks, EachStyleGivesItsTitleInTheSameFolder) {
    std::filesystem::create_directory(folder.file("书"));
    const std::string angled = gbkBytes("《书名》作者：某人\r\n正文");
    const std::string bracketed = gbkBytes("[第二本]/作者\r\n");
    const std::string plain = gbkBytes("第三本\n");
    const auto results =
        renameBooks({book("书/a.txt", angled), book("b.TXT", bracketed), book("c", plain)});

    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].path, folder.codePagePath("书/书名.txt"));
    EXPECT_EQ(results[1].path, folder.codePagePath("第二本.txt"));
    EXPECT_EQ(results[2].path, folder.codePagePath("第三本.txt"));
    for (const auto& result : results) {
        EXPECT_FALSE(result.problem);
    }
    EXPECT_EQ(contents("书/书名.txt"), angled);
    EXPECT_EQ(contents("第二本.txt"), bracketed);
    EXPECT_EQ(contents("第三本.txt"), plain);
    EXPECT_FALSE(exists("书/a.txt") || exists("b.TXT") || exists("c"));
}

TEST_F(RenameBooks, TheSecondBookWithATakenTitleKeepsItsName) {
    const std::string first = gbkBytes("《同名》\r\n甲");
    const std::string second = gbkBytes("《同名》\r\n乙");
    const auto results = renameBooks({book("1.txt", first), book("2.txt", second)});

    EXPECT_EQ(results[0].path, folder.codePagePath("同名.txt"));
    EXPECT_EQ(results[1].path, folder.codePagePath("2.txt"));
    EXPECT_EQ(results[1].problem, Problem::NameTaken);
    EXPECT_EQ(contents("同名.txt"), first);
    EXPECT_EQ(contents("2.txt"), second);
}

TEST_F(RenameBooks, TitlesAreMendedAndNeverLeaveTheFolder) {
    std::filesystem::create_directory(folder.file("书"));
    const auto results = renameBooks({book("书/a.txt", "[../x:y]/\r\n")});
    EXPECT_EQ(results[0].path, folder.codePagePath("书/..／x：y.txt"));
    EXPECT_TRUE(exists("书/..／x：y.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST_F(RenameBooks, BooksWithoutATitleOrUnreadableStayWhereTheyAre) {
    std::filesystem::create_directory(folder.file("folder.txt"));
    const std::vector<ByteText> paths = {
        book("empty-line.txt", "\r\ntext"),
        book("unclosed.txt", gbkBytes("《书名\r\n")),
        book("blank-title.txt", gbkBytes("《 　. 》\r\n")),
        folder.codePagePath("missing.txt"),
        folder.codePagePath("folder.txt"),
    };
    const auto results = renameBooks(paths);

    const Problem expected[] = {Problem::NoTitle, Problem::NoTitle, Problem::NoTitle,
                                Problem::NotFound, Problem::IsFolder};
    ASSERT_EQ(results.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[i].path, paths[i]);
        EXPECT_EQ(results[i].problem, expected[i]);
    }
    EXPECT_FALSE(exists(".txt"));
    EXPECT_EQ(contents("empty-line.txt"), "\r\ntext");
}

TEST_F(RenameBooks, ASecondPressRenamesEachBookOntoItsOwnName) {
    const auto first =
        renameBooks({book("a.txt", gbkBytes("甲\r\n")), book("b.txt", gbkBytes("乙\r\n"))});
    std::vector<ByteText> renamed;
    for (const auto& result : first) {
        renamed.push_back(result.path);
    }
    const auto second = renameBooks(renamed);
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        EXPECT_EQ(second[i].path, renamed[i]);
        EXPECT_FALSE(second[i].problem);
    }
    EXPECT_EQ(contents("甲.txt"), gbkBytes("甲\r\n"));
}

TEST_F(RenameBooks, APathIsUsedExactlyAsGivenLineBreaksAndAll) {
    const ByteText listed = concatTexts(folder.codePagePath("a"), ByteText("\r\nb.txt"));
    folder.write("a\r\nb.txt", gbkBytes("书名\r\n"));
    folder.write("ab.txt", gbkBytes("别的书\r\n"));
    const auto results = renameBooks({listed});
    EXPECT_EQ(results[0].path, folder.codePagePath("书名.txt"));
    EXPECT_FALSE(results[0].problem);
    EXPECT_EQ(contents("ab.txt"), gbkBytes("别的书\r\n"));
}

}  // namespace
}  // namespace juanzhi
