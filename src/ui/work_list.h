#pragma once

#include <QList>
#include <QTableWidget>
#include <QUrl>

#include <cstdint>

#include "core/byte_text.h"

namespace juanzhi::ui {

// The shared list of imported books, shown in the list view beside the tabs.
// Each row holds three code-page texts: its number at import, the shortened
// path the user sees and the full path every operation opens. The view itself
// is their only store; it shows their Unicode form.
class WorkList : public QTableWidget {
    Q_OBJECT

  public:
    enum Column : int { NumberColumn = 0, ShownPathColumn = 1, FullPathColumn = 2 };
    static constexpr std::int32_t ShownPathCapacity = 52;

    explicit WorkList(QWidget* parent);

    int itemCount() const;
    // Inserts a row with `number` and empty paths at `index`; an index below 0
    // or past the last row appends. Returns the new row's index.
    int insertItem(int index, const ByteText& number);
    // The empty text for a row or column that does not exist.
    ByteText itemText(int index, int column) const;
    // Does nothing for a row or column that does not exist.
    void setItemText(int index, int column, const ByteText& text);
    // Writes the full path and its shortened form together.
    void setItemPath(int index, const ByteText& path);
    void clearItems();
    // The selected row, or -1.
    int selectedIndex() const;
    // Selects `index` and makes it the focused row; -1 clears the selection.
    void selectIndex(int index);

  signals:
    // Files or folders dropped on the list, in the order they came.
    void dropped(const QList<QUrl>& urls);

  protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    static constexpr int NumberWidth = 40;
    static constexpr int ShownPathWidth = 340;

    void fitRowsToFont();
    void fitPathColumn();
    void showFullPathAsTip(int index);
};

}  // namespace juanzhi::ui
