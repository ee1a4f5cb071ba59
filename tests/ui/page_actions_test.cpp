// The five pages run to their end as a user runs them: books are
// imported through the (scripted) dialogs, the real action buttons are
// clicked, and the labels, rows, files and messages are read back.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <memory>

#include "books/failure.h"
#include "core/code_page.h"
#include "support/gbk.h"
#include "support/temp_folder.h"
#include "ui/failure_report.h"
#include "ui/fake_dialogs.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/page_tabs.h"
#include "ui/screen_text.h"
#include "ui/transparent_label.h"
#include "ui/window_driver.h"
#include "ui/work_list.h"

using juanzhi::ByteText;
using juanzhi::test::clickButton;
using juanzhi::test::FakeDialogs;
using juanzhi::test::findControl;
using juanzhi::test::gbkBytes;
using juanzhi::test::readAll;
using juanzhi::test::TempFolder;
using juanzhi::ui::MainWindow;
using juanzhi::ui::TransparentLabel;

namespace {

const QColor Violet = juanzhi::ui::fromColorRef(0xE03058);
const QColor Red = juanzhi::ui::fromColorRef(0x0000FF);

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

class PageActionsTest : public QObject {
    Q_OBJECT

  private:
    FakeDialogs dialogs_;
    std::unique_ptr<TempFolder> books_;
    std::unique_ptr<TempFolder> output_;
    std::unique_ptr<MainWindow> window_;

    TransparentLabel* label(const char* name) const {
        return findControl<TransparentLabel>(*window_, name);
    }
    void click(const char* name) const { clickButton(*window_, name); }
    void showPage(juanzhi::ui::Page page) const {
        QTabBar* bar = findControl<juanzhi::ui::PageTabs>(*window_, "高级选择夹1")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(static_cast<int>(page)).center());
    }
    void showSplitPage() const { showPage(juanzhi::ui::Page::SplitPage); }
    // Imports the books through the page's import button.
    void import(const char* importButton, const QStringList& books) {
        dialogs_.filesAnswers.push_back(books);
        click(importButton);
    }
    void type(const char* box, const QString& text) const {
        findControl<QPlainTextEdit>(*window_, box)->setPlainText(text);
    }
    QString book(std::string_view name, std::string_view utf8Text) const {
        return qtPath(books_->write(name, gbkBytes(utf8Text)));
    }
    QStringList shownFullPaths() const {
        QStringList paths;
        const auto& list = window_->workList();
        for (int index = 0; index < list.itemCount(); ++index) {
            paths.append(juanzhi::ui::shownText(
                list.itemText(index, juanzhi::ui::WorkList::FullPathColumn)));
        }
        return paths;
    }
    QStringList messageTitles() const {
        QStringList titles;
        for (const auto& message : dialogs_.messages) {
            titles.append(message.title);
        }
        return titles;
    }

  private slots:
    void init() {
        dialogs_ = FakeDialogs();
        books_ = std::make_unique<TempFolder>();
        output_ = std::make_unique<TempFolder>();
        window_ = std::make_unique<MainWindow>(dialogs_,
                                               *juanzhi::utf8ToCodePage(output_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() {
        window_.reset();
        books_.reset();
        output_.reset();
    }

    void missingInputIsReportedAndChangesNothing() {
        click("超级按钮2");
        showSplitPage();
        click("超级按钮13");
        dialogs_.fileAnswers.push_back(book("a.txt", "书名\r\n"));
        click("超级按钮12");
        findControl<QLineEdit>(*window_, "编辑框5")->clear();
        click("超级按钮13");

        QCOMPARE(dialogs_.messages.size(), 3u);
        QCOMPARE(dialogs_.messages[0].text, QStringLiteral("请先导入文件！"));
        QCOMPARE(dialogs_.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(dialogs_.messages[1].text, QStringLiteral("请导入txt格式文件"));
        QCOMPARE(dialogs_.messages[1].title, QStringLiteral("错误"));
        QCOMPARE(dialogs_.messages[2].text, QStringLiteral("请输入文件名！"));
        QCOMPARE(dialogs_.messages[2].title, QStringLiteral("错误"));
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("未导入"));
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("成功导入"));
        QCOMPARE(label("透明标签19")->textColour(), Violet);
        QCOMPARE(window_->workList().itemCount(), 1);
        QVERIFY(std::filesystem::is_empty(output_->path()));
    }

    void renameShowsTheNewPathsAndEndsDone() {
        const QStringList chosen = {book("a.txt", "《书名》作者：某人\r\n正文"),
                                    book("b.txt", "[第二本]/作者\r\n")};
        dialogs_.filesAnswers.push_back(chosen);
        click("超级按钮1");
        click("超级按钮2");

        QCOMPARE(shownFullPaths(), (QStringList{qtPath(books_->file("书名.txt")),
                                                qtPath(books_->file("第二本.txt"))}));
        QVERIFY(std::filesystem::exists(books_->file("书名.txt")));
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("完成"));
        QCOMPARE(label("透明标签1")->textColour(), Red);
        QCOMPARE(label("透明标签3")->text(), QStringLiteral("2"));
        QVERIFY(dialogs_.messages.empty());

        click("超级按钮2");  // again: each book onto its own name
        QCOMPARE(shownFullPaths().size(), 2);
        QVERIFY(dialogs_.messages.empty());
    }

    void booksThatWereNotRenamedKeepTheirRowsAndAreListedAfterDone() {
        const QString first = book("first.txt", "《同名》\r\n");
        const QString untitled = book("untitled.txt", "\r\n正文");
        const QString second = book("second.txt", "《同名》\r\n");
        dialogs_.filesAnswers.push_back({first, untitled, second});
        click("超级按钮1");
        QString stateWhenListed;
        dialogs_.whileOpen = [&] { stateWhenListed = label("透明标签1")->text(); };
        click("超级按钮2");

        QCOMPARE(shownFullPaths(),
                 (QStringList{qtPath(books_->file("同名.txt")), untitled, second}));
        QCOMPARE(messageTitles(), QStringList{QStringLiteral("错误")});
        const QString& report = dialogs_.messages[0].text;
        QVERIFY2(report.contains(QStringLiteral("second.txt：已有同名文件")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("untitled.txt：第一行中找不到书名")),
                 qPrintable(report));
        QVERIFY(!report.contains(QStringLiteral("first.txt")));
        QCOMPARE(stateWhenListed, QStringLiteral("完成"));
    }

    void splitWritesNumberedPiecesAndEmptiesTheList() {
        showSplitPage();
        const std::string chapter(80, 'x');
        dialogs_.fileAnswers.push_back(
            book("book.txt", "第一章\r\n" + chapter + "\r\n第二章\r\n" + chapter));
        click("超级按钮12");
        QCOMPARE(findControl<QLineEdit>(*window_, "编辑框5")->text(), QStringLiteral("第一章"));
        findControl<QLineEdit>(*window_, "编辑框5")->setText(QStringLiteral("书名"));
        QTest::mouseClick(findControl<QRadioButton>(*window_, "单选框2"), Qt::LeftButton);
        click("超级按钮13");

        QCOMPARE(readAll(output_->file("1_书名.txt")), gbkBytes("第一章\r\n" + chapter + "\r\n"));
        QCOMPARE(readAll(output_->file("2_书名.txt")), gbkBytes("第二章\r\n" + chapter));
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("完成"));
        QCOMPARE(label("透明标签19")->textColour(), Red);
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(findControl<QLineEdit>(*window_, "编辑框5")->text(), QStringLiteral("书名"));
        QVERIFY(dialogs_.messages.empty());
    }

    void aBookGoneSinceItsImportIsListedAndMakesNoPiece() {
        showSplitPage();
        const QString gone = book("gone.txt", "书名\r\n");
        dialogs_.fileAnswers.push_back(gone);
        click("超级按钮12");
        QVERIFY(std::filesystem::remove(books_->file("gone.txt")));
        click("超级按钮13");

        QCOMPARE(label("透明标签19")->text(), QStringLiteral("完成"));
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(messageTitles(), QStringList{QStringLiteral("错误")});
        QVERIFY(dialogs_.messages[0].text.contains(QStringLiteral("gone.txt：文件不存在")));
        QVERIFY(std::filesystem::is_empty(output_->path()));
    }

    void missingBooksOrNameAreReportedAndChangeNothing() {
        using juanzhi::ui::Page;
        showPage(Page::MergePage);
        click("超级按钮7");
        import("超级按钮4", {book("a.txt", "甲")});
        click("超级按钮7");  // the name box is empty
        QCOMPARE(label("透明标签5")->text(), QStringLiteral("成功导入"));
        QCOMPARE(label("透明标签7")->text(), QStringLiteral("1"));
        showPage(Page::ReplacePage);
        click("超级按钮11");
        showPage(Page::InsertPage);
        click("超级按钮9");

        QCOMPARE(dialogs_.messages.size(), 4u);
        QCOMPARE(dialogs_.messages[0].text, QStringLiteral("请导入txt格式文件"));
        QCOMPARE(dialogs_.messages[1].text, QStringLiteral("请为合并后的文件命名！"));
        QCOMPARE(dialogs_.messages[2].text, QStringLiteral("请导入txt格式文件"));
        QCOMPARE(dialogs_.messages[3].text, QStringLiteral("请导入txt格式文件"));
        QCOMPARE(messageTitles(), QStringList(4, QStringLiteral("错误")));
        QCOMPARE(label("透明标签14")->text(), QStringLiteral("未导入"));
        QCOMPARE(label("透明标签9")->text(), QStringLiteral("未导入"));
        QVERIFY(std::filesystem::is_empty(output_->path()));
        QCOMPARE(readAll(books_->file("a.txt")), gbkBytes("甲"));
    }

    void mergeJoinsTheBooksInListOrderIntoTheOutputFolder() {
        showPage(juanzhi::ui::Page::MergePage);
        import("超级按钮4", {book("a.txt", "甲\r\n"), book("b.txt", "乙")});
        window_->workList().selectIndex(1);
        click("超级按钮5");  // 上 移
        findControl<QLineEdit>(*window_, "编辑框1")->setText(QStringLiteral("合集"));
        click("超级按钮7");

        QCOMPARE(readAll(output_->file("合集.txt")), gbkBytes("乙\r\n甲\r\n\r\n"));
        QCOMPARE(label("透明标签5")->text(), QStringLiteral("完成"));
        QCOMPARE(label("透明标签5")->textColour(), Red);
        QCOMPARE(label("透明标签7")->text(), QStringLiteral("0"));
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(findControl<QLineEdit>(*window_, "编辑框1")->text(), QStringLiteral("合集"));
        QVERIFY(dialogs_.messages.empty());
    }

    void mergeListsTheBooksItCouldNotRead() {
        showPage(juanzhi::ui::Page::MergePage);
        import("超级按钮4", {book("a.txt", "甲"), book("gone.txt", "乙")});
        std::filesystem::remove(books_->file("gone.txt"));
        findControl<QLineEdit>(*window_, "编辑框1")->setText(QStringLiteral("合集"));
        click("超级按钮7");

        QVERIFY(!std::filesystem::exists(output_->file("合集.txt")));
        QCOMPARE(messageTitles(), QStringList{QStringLiteral("错误")});
        QVERIFY(dialogs_.messages[0].text.contains(QStringLiteral("gone.txt：文件不存在")));
        QCOMPARE(label("透明标签5")->text(), QStringLiteral("完成"));
    }

    void replaceCountsEachHandledBookAsItGoes() {
        showPage(juanzhi::ui::Page::ReplacePage);
        const QStringList listed = {book("1.txt", "第一章\r\n正文"), book("2.txt", "正文"),
                                    book("gone.txt", "第二章"), book("3.txt", "章\r\n正文")};
        import("超级按钮10", listed);
        std::filesystem::remove(books_->file("gone.txt"));
        QCOMPARE(label("透明标签16")->text(), QStringLiteral("0"));
        type("编辑框3",
             QStringLiteral("章\n正文"));  // lines typed in the box end in CR LF in books
        type("编辑框4", QStringLiteral("回"));

        QStringList painted;
        TransparentLabel* counter = label("透明标签16");
        struct PaintWatch : QObject {
            QStringList* seen;
            TransparentLabel* label;
            PaintWatch(QStringList* s, TransparentLabel* l) : seen(s), label(l) {}
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint &&
                    (seen->isEmpty() || seen->last() != label->text())) {
                    seen->append(label->text());
                }
                return false;
            }
        } watch(&painted, counter);
        counter->installEventFilter(&watch);
        click("超级按钮11");
        counter->removeEventFilter(&watch);

        // Painted at most once a frame while books are handled, always
        // climbing, and last on the exact count.
        QVERIFY(!painted.isEmpty());
        for (qsizetype i = 1; i < painted.size(); ++i) {
            QVERIFY(painted[i].toInt() > painted[i - 1].toInt());
        }
        QCOMPARE(painted.last(), QStringLiteral("3"));
        QCOMPARE(readAll(books_->file("1.txt")), gbkBytes("第一回"));
        QCOMPARE(readAll(books_->file("2.txt")), gbkBytes("正文"));
        QCOMPARE(readAll(books_->file("3.txt")), gbkBytes("回"));
        QCOMPARE(label("透明标签14")->text(), QStringLiteral("完成"));
        QCOMPARE(label("透明标签14")->textColour(), Red);
        QCOMPARE(label("透明标签16")->text(), QStringLiteral("3"));
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(findControl<QPlainTextEdit>(*window_, "编辑框4")->toPlainText(),
                 QStringLiteral("回"));
        QCOMPARE(messageTitles(), QStringList{QStringLiteral("错误")});
        QVERIFY(dialogs_.messages[0].text.contains(QStringLiteral("gone.txt：文件不存在")));
    }

    void insertAddsTheContentAndEndsWithAnEmptyList() {
        showPage(juanzhi::ui::Page::InsertPage);
        import("超级按钮8", {book("a.txt", "标题\r\n正文\r\n"), book("gone.txt", "")});
        std::filesystem::remove(books_->file("gone.txt"));
        QCOMPARE(label("透明标签11")->text(), QStringLiteral("2"));
        QTest::mouseClick(findControl<QCheckBox>(*window_, "选择框1"), Qt::LeftButton);
        type("编辑框2", QStringLiteral("本书来自网络"));
        QString stateWhenListed;
        dialogs_.whileOpen = [&] { stateWhenListed = label("透明标签9")->text(); };
        click("超级按钮9");

        QCOMPARE(readAll(books_->file("a.txt")),
                 gbkBytes("标题\r\n本书来自网络\r\n正文\r\n\r\n本书来自网络\r\n"));
        QCOMPARE(label("透明标签9")->text(), QStringLiteral("完成"));
        QCOMPARE(label("透明标签9")->textColour(), Red);
        QCOMPARE(label("透明标签11")->text(), QStringLiteral("0"));
        QCOMPARE(window_->workList().itemCount(), 0);
        QVERIFY(findControl<QCheckBox>(*window_, "选择框1")->isChecked());
        QCOMPARE(messageTitles(), QStringList{QStringLiteral("错误")});
        QVERIFY(dialogs_.messages[0].text.contains(QStringLiteral("gone.txt：文件不存在")));
        QCOMPARE(stateWhenListed, QStringLiteral("完成"));
    }

    void longFailureListsNameTheFirstBooksAndCountTheRest() {
        std::vector<juanzhi::Failure> failures;
        for (int book = 1; book <= juanzhi::ui::ListedFailures + 5; ++book) {
            failures.push_back(
                {ByteText("/books/" + std::to_string(book) + ".txt"), juanzhi::Problem::NotFound});
        }
        const QStringList lines = juanzhi::ui::failureReportText(failures).split('\n');
        QCOMPARE(lines.first(), QStringLiteral("以下 %1 个文件未能处理：").arg(failures.size()));
        QVERIFY(lines.contains(
            QStringLiteral("/books/%1.txt：文件不存在").arg(juanzhi::ui::ListedFailures)));
        QVERIFY(!lines.contains(
            QStringLiteral("/books/%1.txt：文件不存在").arg(juanzhi::ui::ListedFailures + 1)));
        QCOMPARE(lines.last(), QStringLiteral("……另有 5 个文件"));
    }
};

QTEST_MAIN(PageActionsTest)
#include "page_actions_test.moc"
