// The work list as its callers use it, and as the user sees it.
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "core/path.h"
#include "support/gbk.h"
#include "ui/look.h"
#include "ui/screen_text.h"
#include "ui/start_up.h"
#include "ui/work_list.h"

using juanzhi::ByteText;
using juanzhi::test::gbk;
using juanzhi::test::raw;
using juanzhi::ui::WorkList;

namespace {

QString shown(const WorkList& list, int row, int column) {
    const QTableWidgetItem* cell = list.item(row, column);
    return cell == nullptr ? QString() : cell->text();
}

QStringList numbers(const WorkList& list) {
    QStringList all;
    for (int row = 0; row < list.itemCount(); ++row) {
        all << juanzhi::ui::shownText(list.itemText(row, WorkList::NumberColumn));
    }
    return all;
}

}  // namespace

class WorkListTest : public QObject {
    Q_OBJECT

  private slots:
    // The font every control has in the program.
    void initTestCase() { juanzhi::ui::setUpApplication(); }

    void insertPlacesRowsAndOutOfRangeAppends() {
        WorkList list(nullptr);
        QCOMPARE(list.insertItem(0, ByteText("a")), 0);
        QCOMPARE(list.insertItem(5, ByteText("b")), 1);
        QCOMPARE(list.insertItem(-1, ByteText("c")), 2);
        QCOMPARE(list.insertItem(1, ByteText("d")), 1);
        QCOMPARE(numbers(list), (QStringList{"a", "d", "b", "c"}));
        QCOMPARE(list.itemText(1, WorkList::FullPathColumn), ByteText());
    }

    void missingRowsReadEmptyAndIgnoreWrites() {
        WorkList list(nullptr);
        list.insertItem(0, ByteText("1"));
        for (const auto& [row, column] : {std::pair{1, 0}, {-1, 0}, {0, 3}, {0, -1}}) {
            list.setItemText(row, column, ByteText("x"));
            QCOMPARE(list.itemText(row, column), ByteText());
        }
        QCOMPARE(list.itemCount(), 1);
        QCOMPARE(list.itemText(0, 0), ByteText("1"));
    }

    void pathIsStoredWholeAndShownShortened() {
        WorkList list(nullptr);
        list.insertItem(0, ByteText("1"));
        const ByteText longPath = gbk("/home/reader/下载/小说/武侠/金庸全集/第一卷/射雕英雄传.txt");
        list.setItemPath(0, longPath);
        QCOMPARE(list.itemText(0, WorkList::FullPathColumn), longPath);
        QCOMPARE(list.itemText(0, WorkList::ShownPathColumn),
                 juanzhi::compactPath(longPath, WorkList::ShownPathCapacity));
        QVERIFY(list.itemText(0, WorkList::ShownPathColumn).size() <= 51);
        QCOMPARE(shown(list, 0, WorkList::FullPathColumn),
                 QStringLiteral("/home/reader/下载/小说/武侠/金庸全集/第一卷/射雕英雄传.txt"));

        const ByteText shortPath = gbk("/书/甲.txt");
        list.setItemPath(0, shortPath);
        QCOMPARE(list.itemText(0, WorkList::ShownPathColumn), shortPath);
    }

    void bytesThatAreNoCharacterStayBytes() {
        WorkList list(nullptr);
        list.insertItem(0, ByteText("1"));
        const ByteText odd =
            raw("/\xB0\xA1"
                "\xFF\x30.txt");  // 啊, then a pair GBK lacks
        list.setItemPath(0, odd);
        QCOMPARE(list.itemText(0, WorkList::FullPathColumn), odd);
        QCOMPARE(shown(list, 0, WorkList::FullPathColumn), QStringLiteral("/啊\uFFFD.txt"));
    }

    void selectionBelongsToItsRow() {
        WorkList list(nullptr);
        for (const char* number : {"1", "2", "3"}) {
            list.insertItem(-1, ByteText(number));
        }
        QCOMPARE(list.selectedIndex(), -1);
        list.selectIndex(1);
        QCOMPARE(list.selectedIndex(), 1);
        QCOMPARE(list.currentRow(), 1);

        list.insertItem(0, ByteText("new"));
        QCOMPARE(list.selectedIndex(), 2);

        list.selectIndex(7);  // no such row: nothing changes
        QCOMPARE(list.selectedIndex(), 2);
        list.selectIndex(-1);
        QCOMPARE(list.selectedIndex(), -1);

        list.selectIndex(0);
        list.clearItems();
        QCOMPARE(list.itemCount(), 0);
        QCOMPARE(list.selectedIndex(), -1);
    }

    void userCanNeitherSortNorEditRows() {
        WorkList list(nullptr);
        list.resize(384, 355);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (const char* number : {"2", "1", "3"}) {
            list.setItemPath(list.insertItem(-1, ByteText(number)), ByteText("/b.txt"));
        }
        QHeaderView* header = list.horizontalHeader();
        for (int column = 0; column < 3; ++column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 2, 5));
        }
        QCOMPARE(numbers(list), (QStringList{"2", "1", "3"}));

        const QRect cell = list.visualItemRect(list.item(1, WorkList::ShownPathColumn));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(list.findChild<QLineEdit*>(), nullptr);  // no editor opened
        QCOMPARE(list.selectedIndex(), 1);

        QCOMPARE(list.columnWidth(WorkList::NumberColumn), 40);
        QCOMPARE(list.columnWidth(WorkList::ShownPathColumn), 340);
        QCOMPARE(list.columnWidth(WorkList::FullPathColumn), 0);
        QCOMPARE(header->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("真实地址"));
        QVERIFY(list.showGrid());
        // The selected row stays marked when another control has the focus.
    }

    void aFullListShowsFifteenRowsAndScrollsOnlyDownwards() {
        WorkList list(nullptr);
        list.resize(384, 355);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (int row = 0; row < 40; ++row) {
            list.setItemPath(list.insertItem(-1, ByteText(std::to_string(row + 1))),
                             gbk("/书/很长的文件夹名字/第一部.txt"));
        }
        QTRY_VERIFY(list.verticalScrollBar()->isVisible());
        const QRect fifteenth = list.visualItemRect(list.item(14, WorkList::NumberColumn));
        QVERIFY2(fifteenth.bottom() < list.viewport()->height(),
                 qPrintable(QStringLiteral("row height %1, room %2")
                                .arg(fifteenth.height())
                                .arg(list.viewport()->height())));
        // A row is as high as its text, not a fixed style's generous row.
        QVERIFY(fifteenth.height() <= list.fontMetrics().height() + 4);

        QVERIFY(!list.horizontalScrollBar()->isVisible());
        QCOMPARE(
            list.columnWidth(WorkList::NumberColumn) + list.columnWidth(WorkList::ShownPathColumn),
            list.viewport()->width());

        // Emptied, the path column has its whole width back.
        list.clearItems();
        QTRY_COMPARE(list.columnWidth(WorkList::ShownPathColumn), 340);
    }

    void restingOnARowShowsItsFullPath() {
        WorkList list(nullptr);
        list.resize(384, 355);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QString longPath =
            QStringLiteral("/home/reader/下载/小说/武侠/金庸全集/第一卷/射雕英雄传.txt");
        for (const QString& path : {QStringLiteral("/书/甲.txt"), longPath}) {
            list.setItemPath(list.insertItem(-1, ByteText("1")), *juanzhi::ui::typedText(path));
        }
        // Rows that exchange their paths exchange their hints too.
        list.setItemText(0, WorkList::ShownPathColumn, list.itemText(1, WorkList::ShownPathColumn));
        list.setItemText(0, WorkList::FullPathColumn, list.itemText(1, WorkList::FullPathColumn));

        for (const int column : {WorkList::NumberColumn, WorkList::ShownPathColumn}) {
            const QPoint onRow = list.visualItemRect(list.item(0, column)).center();
            QHelpEvent rest(QEvent::ToolTip, onRow, list.viewport()->mapToGlobal(onRow));
            QApplication::sendEvent(list.viewport(), &rest);
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), longPath);
            QToolTip::hideText();
        }
    }

    void selectedRowStaysMarkedWithoutFocus() {
        QWidget window;
        auto* list = new WorkList(&window);
        // Where a look greys the selection of inactive windows, the list keeps it.
        QPalette colours = list->palette();
        colours.setColor(QPalette::Active, QPalette::Highlight, QColor(0x93, 0xA0, 0x70));
        colours.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xE0, 0xE0, 0xE0));
        list->setPalette(colours);
        list->setGeometry(0, 0, 384, 200);
        window.resize(384, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list->setItemPath(list->insertItem(0, ByteText("1")), ByteText("/a.txt"));
        list->selectIndex(0);
        QLineEdit elsewhere;  // another window takes the focus
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QVERIFY(!window.isActiveWindow());

        const QRect cell = list->visualItemRect(list->item(0, WorkList::ShownPathColumn));
        const QImage picture = list->viewport()->grab().toImage();
        QCOMPARE(picture.pixelColor(cell.right() - 3, cell.center().y()), QColor(0x93, 0xA0, 0x70));
    }
};

QTEST_MAIN(WorkListTest)
#include "work_list_test.moc"
