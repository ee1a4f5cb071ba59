#include "ui/work_list.h"

#include <QByteArray>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPalette>

#include <algorithm>

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
    setColumnWidth(NumberColumn, NumberWidth);
    setColumnWidth(ShownPathColumn, ShownPathWidth);
    setColumnWidth(FullPathColumn, 0);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowsToFont();

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

    // Books dragged from a file manager; the list is never a drag source.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);

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

// Rows as high as a line of text needs, so a screenful shows as many books
// as the font allows, not a fixed style's generous row.
void WorkList::fitRowsToFont() {
    constexpr int RowPadding = 2;
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + RowPadding);
}

// The path column gives up to the vertical scroll bar what the bar takes,
// so no horizontal scroll bar appears that would scroll over nothing.
void WorkList::fitPathColumn() {
    const int room = viewport()->width() - columnWidth(NumberColumn) - columnWidth(FullPathColumn);
    const int width = std::clamp(room, 0, ShownPathWidth);
    if (columnWidth(ShownPathColumn) != width) {
        setColumnWidth(ShownPathColumn, width);
    }
}

bool WorkList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        fitPathColumn();
    }
    return QTableWidget::viewportEvent(event);
}

void WorkList::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitRowsToFont();
    }
}

void WorkList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void WorkList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void WorkList::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    // Taken once the drop is finished: the import may be long or show a
    // message, and the file manager that dragged waits until the drop ends.
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, urls] { emit dropped(urls); }, Qt::QueuedConnection);
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
    if (column != NumberColumn) {
        showFullPathAsTip(index);
    }
}

// A shortened path can always be read whole by resting the pointer on it.
void WorkList::showFullPathAsTip(int index) {
    const QString fullPath = shownText(itemText(index, FullPathColumn));
    for (int column = 0; column < columnCount(); ++column) {
        if (QTableWidgetItem* cell = item(index, column)) {
            cell->setToolTip(fullPath);
        }
    }
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
