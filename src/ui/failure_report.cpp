#include "ui/failure_report.h"

#include "core/path.h"
#include "ui/screen_text.h"
#include "ui/user_dialogs.h"

namespace juanzhi::ui {

namespace {

// As long as in the work list: a folder's beginning and the file name.
constexpr std::int32_t ShownPathCapacity = 52;

}  // namespace

QString failureReportText(const std::vector<Failure>& failures) {
    const auto count = static_cast<int>(failures.size());
    QString text = QStringLiteral("以下 %1 个文件未能处理：\n").arg(count);
    for (int index = 0; index < count && index < ListedFailures; ++index) {
        const Failure& failure = failures[static_cast<std::size_t>(index)];
        text += QStringLiteral("\n%1：%2")
                    .arg(shownText(compactPath(failure.path, ShownPathCapacity)),
                         QString::fromUtf8(problemText(failure.problem)));
    }
    if (count > ListedFailures) {
        text += QStringLiteral("\n……另有 %1 个文件").arg(count - ListedFailures);
    }
    return text;
}

void reportFailures(UserDialogs& dialogs, const std::vector<Failure>& failures) {
    if (failures.empty()) {
        return;
    }
    dialogs.showMessage(failureReportText(failures), QStringLiteral("错误"));
}

}  // namespace juanzhi::ui
