#include "ui/work_list.h"

#include <QByteArray>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>

#include "core/path.h"
#include "ui/screen_text.h"

namespace juanzhi::ui {

namespace {

constexpr int BytesRole = Qt::UserRole;

QTableWidgetItem* makeCell(const ByteText& text) {
    auto* cell = new QTableWidgetItem(shownText(text));
    cell->setData(BytesRole, QByteArray(text.bytes().data(), static_cast<qsizetype>(text.size())));
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return cell;
}

}  // namespace

WorkList::WorkList(QWidget* parent) : QTableWidget(0, 3, parent) {
    setHorizontalHeaderLabels(
        {QStringLiteral("编号"), QStringLiteral("地址"), QStringLiteral("真实地址")});
    QHeaderView* header = horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setSectionsClickable(true);  // pressed like buttons, but nothing follows
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setColumnWidth(NumberColumn, 40);
    setColumnWidth(ShownPathColumn, 340);
    setColumnWidth(FullPathColumn, 0);
    verticalHeader()->hide();

    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setMouseTracking(false);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

// The selected row stays marked in its full colour while another control,
// or another window, has the focus.
void WorkList::initViewItemOption(QStyleOptionViewItem* option) const {
    QTableWidget::initViewItemOption(option);
    option->state |= QStyle::State_Active;
}

int WorkList::itemCount() const {
    return rowCount();
}

int WorkList::insertItem(int index, const ByteText& number) {
    const int row = index < 0 || index > rowCount() ? rowCount() : index;
    insertRow(row);
    setItem(row, NumberColumn, makeCell(number));
    setItem(row, ShownPathColumn, makeCell(ByteText()));
    setItem(row, FullPathColumn, makeCell(ByteText()));
    return row;
}

ByteText WorkList::itemText(int index, int column) const {
    const QTableWidgetItem* cell = item(index, column);
    if (cell == nullptr) {
        return ByteText();
    }
    const QByteArray bytes = cell->data(BytesRole).toByteArray();
    return ByteText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void WorkList::setItemText(int index, int column, const ByteText& text) {
    if (index < 0 || index >= rowCount() || column < 0 || column >= columnCount()) {
        return;
    }
    setItem(index, column, makeCell(text));
}

void WorkList::setItemPath(int index, const ByteText& path) {
    setItemText(index, FullPathColumn, path);
    setItemText(index, ShownPathColumn, compactPath(path, ShownPathCapacity));
}

void WorkList::clearItems() {
    clearSelection();
    setRowCount(0);
}

int WorkList::selectedIndex() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void WorkList::selectIndex(int index) {
    if (index == -1) {
        clearSelection();
        return;
    }
    if (index < 0 || index >= rowCount()) {
        return;
    }
    selectionModel()->setCurrentIndex(
        model()->index(index, NumberColumn),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace juanzhi::ui
