#pragma once

#include <QColor>
#include <QString>

namespace juanzhi::ui {

class TransparentLabel;

// How far a page's work has come, as its state label shows it.
enum class PageState { NotImported, Imported, Done };

QString stateText(PageState state);
QColor stateColour(PageState state);

// A page's status panel. The labels are the only store of the page's state
// and count; the split page has no count label.
struct StatusPanel {
    TransparentLabel* stateLabel = nullptr;
    TransparentLabel* countLabel = nullptr;
};

// Sets the state label's text and colour; both change together.
void showState(const StatusPanel& panel, PageState state);

// Sets the count label's text; does nothing on a panel without one.
void showCount(const StatusPanel& panel, const QString& count);

// A count that climbs while a run goes on is painted at most this often,
// about once a screen frame: painting it for each of thousands of books
// would take longer than the books themselves.
inline constexpr long long CountRefreshMilliseconds = 16;

}  // namespace juanzhi::ui
