#pragma once

#include <QString>

#include <vector>

#include "books/failure.h"

namespace juanzhi::ui {

class UserDialogs;

// How many books the report names before it only counts the rest, so the
// message box stays smaller than the screen.
inline constexpr int ListedFailures = 15;

// One line per book: its path, shortened, and the reason in plain Chinese.
QString failureReportText(const std::vector<Failure>& failures);

// After a page action: one message box listing the books it could not
// handle; nothing at all when every book was handled.
void reportFailures(UserDialogs& dialogs, const std::vector<Failure>& failures);

}  // namespace juanzhi::ui
