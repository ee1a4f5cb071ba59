// The handlers of the pages' action buttons: each checks its inputs, runs
// one book operation over the listed books and shows what came of it.
#include <QLineEdit>
#include <QRadioButton>

#include <vector>

#include "books/rename.h"
#include "books/split.h"
#include "ui/failure_report.h"
#include "ui/main_window.h"
#include "ui/screen_text.h"
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

void MainWindow::splitFirstBook() {
    if (workList_->itemCount() == 0) {
        showMessage(QStringLiteral("请导入txt格式文件"), ErrorTitle);
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
        failures = splitBook(book, *name, numbering, outputFolder_).failures;
    } else {
        failures.push_back({book, Problem::BadName});
    }
    showState(Page::SplitPage, PageState::Done);
    workList_->clearItems();
    reportFailures(dialogs_, failures);
}

}  // namespace juanzhi::ui
