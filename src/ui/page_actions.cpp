// The handlers of the pages' action buttons: each checks its inputs, runs
// one book operation over the listed books and shows what came of it.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <vector>

#include "books/insert.h"
#include "books/merge.h"
#include "books/rename.h"
#include "books/replace.h"
#include "books/split.h"
#include "ui/failure_report.h"
#include "ui/main_window.h"
#include "ui/output_folder.h"
#include "ui/screen_text.h"
#include "ui/transparent_label.h"
#include "ui/work_list.h"

namespace juanzhi::ui {

namespace {

const QString WarningTitle = QStringLiteral("警告");
const QString ErrorTitle = QStringLiteral("错误");

std::vector<ByteText> listedPaths(const WorkList& list) {
    std::vector<ByteText> paths;
    paths.reserve(static_cast<std::size_t>(list.itemCount()));
    for (int index = 0; index < list.itemCount(); ++index) {
        paths.push_back(list.itemText(index, WorkList::FullPathColumn));
    }
    return paths;
}

const QString MissingBooks = QStringLiteral("请导入txt格式文件");

// Every book, for a typed text the books' code page cannot hold.
std::vector<Failure> untouched(const std::vector<ByteText>& books) {
    std::vector<Failure> failures;
    failures.reserve(books.size());
    for (const ByteText& book : books) {
        failures.push_back({book, Problem::TextNotSavable});
    }
    return failures;
}

// The replace counter lives only in its label: the number it shows when
// the run starts, and one more for each book handled. It is painted at
// most once a frame while books are handled, and at the end on the exact
// number.
class BookCounter {
  public:
    explicit BookCounter(const StatusPanel& panel)
        : panel_(panel),
          start_(textToNumber(typedText(panel.countLabel->text()).value_or(ByteText()))) {
        sincePainted_.start();
    }
    ~BookCounter() { paint(); }
    BookCounter(const BookCounter&) = delete;
    BookCounter& operator=(const BookCounter&) = delete;

    void countOne() {
        ++counted_;
        if (sincePainted_.elapsed() >= CountRefreshMilliseconds) {
            paint();
        }
    }

  private:
    void paint() {
        if (counted_ != painted_) {
            showCount(panel_, shownText(numberToText(start_ + counted_)));
            painted_ = counted_;
        }
        sincePainted_.restart();
    }

    const StatusPanel& panel_;
    double start_;
    double counted_ = 0;
    double painted_ = 0;
    QElapsedTimer sincePainted_;
};

}  // namespace

void MainWindow::renameListedBooks() {
    if (workList_->itemCount() == 0) {
        showMessage(QStringLiteral("请先导入文件！"), WarningTitle);
        return;
    }
    const std::vector<RenameResult> results = renameBooks(listedPaths(*workList_));
    std::vector<Failure> failures;
    for (std::size_t index = 0; index < results.size(); ++index) {
        const RenameResult& result = results[index];
        if (result.problem) {
            // The row keeps the path the book really has.
            failures.push_back({result.path, *result.problem});
        } else {
            workList_->setItemPath(static_cast<int>(index), result.path);
        }
    }
    showState(Page::RenamePage, PageState::Done);
    reportFailures(dialogs_, failures);
}

void MainWindow::mergeListedBooks() {
    if (workList_->itemCount() == 0) {
        showMessage(MissingBooks, ErrorTitle);
        return;
    }
    if (mergeNameBox_->text().isEmpty()) {
        showMessage(QStringLiteral("请为合并后的文件命名！"), ErrorTitle);
        return;
    }
    const auto name = typedText(mergeNameBox_->text());
    const ByteText output = name ? mergedBookPath(outputFolder_, *name) : ByteText();
    std::vector<Failure> failures;
    if (output.empty()) {
        failures.push_back({name.value_or(ByteText()), Problem::BadName});
    } else {
        makeFolder(outputFolder_);
        failures = mergeBooks(listedPaths(*workList_), output).failures;
    }
    showState(Page::MergePage, PageState::Done);
    workList_->clearItems();
    showCount(statusPanel(Page::MergePage), QStringLiteral("0"));
    reportFailures(dialogs_, failures);
}

void MainWindow::splitFirstBook() {
    if (workList_->itemCount() == 0) {
        showMessage(MissingBooks, ErrorTitle);
        return;
    }
    if (splitNameBox_->text().isEmpty()) {
        showMessage(QStringLiteral("请输入文件名！"), ErrorTitle);
        return;
    }
    const ByteText book = workList_->itemText(0, WorkList::FullPathColumn);
    const Numbering numbering = prefixButton_->isChecked() ? Numbering::Prefix : Numbering::Suffix;
    std::vector<Failure> failures;
    if (const auto name = typedText(splitNameBox_->text())) {
        makeFolder(outputFolder_);
        failures = splitBook(book, *name, numbering, outputFolder_).failures;
    } else {
        failures.push_back({book, Problem::BadName});
    }
    showState(Page::SplitPage, PageState::Done);
    workList_->clearItems();
    reportFailures(dialogs_, failures);
}

void MainWindow::replaceInListedBooks() {
    if (workList_->itemCount() == 0) {
        showMessage(MissingBooks, ErrorTitle);
        return;
    }
    const std::vector<ByteText> books = listedPaths(*workList_);
    const auto search = typedLines(searchBox_->toPlainText());
    const auto replacement = typedLines(replacementBox_->toPlainText());
    std::vector<Failure> failures;
    if (search && replacement) {
        const StatusPanel& panel = statusPanel(Page::ReplacePage);
        // Only a book really handled is counted.
        BookCounter counter(panel);
        const auto counted = [&counter](const ByteText&, const std::optional<Problem>& problem,
                                        bool) {
            if (!problem) {
                counter.countOne();
            }
        };
        failures = replaceInBooks(books, *search, *replacement, counted).failures;
    } else {
        failures = untouched(books);
    }
    workList_->clearItems();
    showState(Page::ReplacePage, PageState::Done);
    reportFailures(dialogs_, failures);
}

void MainWindow::insertIntoListedBooks() {
    if (workList_->itemCount() == 0) {
        showMessage(MissingBooks, ErrorTitle);
        return;
    }
    const std::vector<ByteText> books = listedPaths(*workList_);
    const InsertPlaces places{secondLineBox_->isChecked(), endOfFileBox_->isChecked()};
    const auto content = typedLines(contentBox_->toPlainText());
    const std::vector<Failure> failures =
        content ? insertIntoBooks(books, places, *content) : untouched(books);
    showState(Page::InsertPage, PageState::Done);
    showCount(statusPanel(Page::InsertPage), QStringLiteral("0"));
    workList_->clearItems();
    reportFailures(dialogs_, failures);
}

}  // namespace juanzhi::ui
