// The tab control: hints, page visibility and when a page change is reported.
#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "ui/page_tabs.h"

using juanzhi::ui::PageTabs;

class PageTabsTest : public QObject {
    Q_OBJECT

  private slots:
    void hintMarksBecomeColourNotText_data() {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("rich");
        QTest::newRow("whole hint red")
            << "<c=red>注意：可批量操作</c>"
            << "<qt><span style=\"color:red\">注意：可批量操作</span></qt>";
        QTest::newRow("plain around a mark") << "前<c=blue>中</c>后"
                                             << "<qt>前<span style=\"color:blue\">中</span>后</qt>";
        QTest::newRow("no marks") << "只是提示"
                                  << "<qt>只是提示</qt>";
        QTest::newRow("angle brackets are text")
            << "<c=red>a<b>&</c>"
            << "<qt><span style=\"color:red\">a&lt;b&gt;&amp;</span></qt>";
        QTest::newRow("unclosed mark is shown as it stands") << "<c=red>提示"
                                                             << "<qt>&lt;c=red&gt;提示</qt>";
    }
    void hintMarksBecomeColourNotText() {
        QFETCH(QString, markup);
        QFETCH(QString, rich);
        QCOMPARE(juanzhi::ui::hintToRichText(markup), rich);
    }

    void buildingReportsNoPageChangeAndShowsTheFirstPage() {
        PageTabs tabs(nullptr);
        tabs.resize(160, 327);
        QSignalSpy changes(&tabs, &PageTabs::pageChanged);
        QWidget* first = tabs.addPage(QStringLiteral("一"), QString());
        QWidget* second = tabs.addPage(QStringLiteral("二"), QString());
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(tabs.currentIndex(), 0);
        QVERIFY(first->isVisible());
        QVERIFY(!second->isVisible());

        // Reported once the new page's controls are shown.
        bool secondShownWhenReported = false;
        connect(&tabs, &PageTabs::pageChanged,
                [&] { secondShownWhenReported = second->isVisible(); });
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(1).center());
        QCOMPARE(changes.count(), 1);
        QVERIFY(secondShownWhenReported);
        QVERIFY(!first->isVisible());
    }

    void restingOnATabShowsItsHint() {
        PageTabs tabs(nullptr);
        tabs.resize(160, 327);
        tabs.addPage(QStringLiteral("文本替换"), QStringLiteral("<c=red>注意：可批量操作</c>"));
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        const QPoint onTab = tabs.tabBar()->tabRect(0).center();
        QHelpEvent rest(QEvent::ToolTip, onTab, tabs.tabBar()->mapToGlobal(onTab));
        QApplication::sendEvent(tabs.tabBar(), &rest);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(),
                 QStringLiteral("<qt><span style=\"color:red\">注意：可批量操作</span></qt>"));
        QToolTip::hideText();
    }
};

QTEST_MAIN(PageTabsTest)
#include "page_tabs_test.moc"
