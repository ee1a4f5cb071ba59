// The main window driven as a user drives it: real clicks on the real
// controls, found by their form names; the dialogs answer from a script.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>

#include <memory>

#include "core/text_file.h"
#include "support/gbk.h"
#include "support/temp_folder.h"
#include "ui/fake_dialogs.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/page_button.h"
#include "ui/page_tabs.h"
#include "ui/screen_text.h"
#include "ui/start_up.h"
#include "ui/transparent_label.h"
#include "ui/window_driver.h"
#include "ui/work_list.h"

using juanzhi::test::FakeDialogs;
using juanzhi::test::gbkBytes;
using juanzhi::ui::fromColorRef;
using juanzhi::ui::MainWindow;
using juanzhi::ui::PageButton;
using juanzhi::ui::PageTabs;
using juanzhi::ui::TransparentLabel;
using juanzhi::ui::WorkList;

namespace {

const QColor Violet = fromColorRef(0xE03058);
const QColor Red = fromColorRef(0x0000FF);

struct Row {
    QString number;
    QString shownPath;
    QString fullPath;
    bool operator==(const Row&) const = default;
};

char* toString(const Row& row) {
    return QTest::toString(
        QStringLiteral("(%1, %2, %3)").arg(row.number, row.shownPath, row.fullPath));
}

Row row(const QString& number, const QString& path) {
    return {number, path, path};
}

QList<Row> rowsOf(const MainWindow& window) {
    const WorkList& list = window.workList();
    QList<Row> all;
    for (int index = 0; index < list.itemCount(); ++index) {
        all.append({juanzhi::ui::shownText(list.itemText(index, 0)),
                    juanzhi::ui::shownText(list.itemText(index, 1)),
                    juanzhi::ui::shownText(list.itemText(index, 2))});
    }
    return all;
}

// What a page's status panel shows: state, its colour and the count.
QStringList panelOf(const MainWindow& window, juanzhi::ui::Page page) {
    const auto& panel = window.statusPanel(page);
    return {panel.stateLabel->text(), panel.stateLabel->textColour().name(),
            panel.countLabel != nullptr ? panel.countLabel->text() : QString()};
}

void clickTabOf(const MainWindow& window, int index) {
    QTabBar* bar = juanzhi::test::findControl<PageTabs>(window, "高级选择夹1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Dark pixels of a text drawn black on white: how much ink a font lays down.
int inkOf(const QFont& font, const QString& text) {
    QImage picture(200, 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(picture.rect(), Qt::AlignCenter, text);
    painter.end();
    int ink = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            ink += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return ink;
}

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

const QString IgnoredTwo = QStringLiteral("2 个不是txt文档的文件或文件夹未导入");

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    FakeDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    template <typename Control>
    Control* find(const char* name) const {
        return juanzhi::test::findControl<Control>(*window_, name);
    }
    TransparentLabel* label(const char* name) const { return find<TransparentLabel>(name); }
    void click(const char* buttonName) const { juanzhi::test::clickButton(*window_, buttonName); }
    void clickTab(int index) const {
        QTabBar* bar = find<PageTabs>("高级选择夹1")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    QList<Row> rows() const { return rowsOf(*window_); }
    bool drop(const QStringList& paths) const {
        return juanzhi::test::dropFiles(window_->workList().viewport(), paths);
    }
    void importOnMergePage(const QStringList& files) {
        dialogs_.filesAnswers.push_back(files);
        click("超级按钮4");
    }

  private slots:
    // Qt's texts and the fonts as the program sets them up.
    void initTestCase() { juanzhi::ui::setUpApplication(); }

    void init() {
        dialogs_ = FakeDialogs();
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void startsOnTheRenamePageWithEverythingEmpty() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("卷帙坊-测试版"));
        QCOMPARE(find<PageTabs>("高级选择夹1")->currentIndex(), 0);
        QVERIFY(find<QPushButton>("超级按钮1")->isVisible());
        QVERIFY(!find<QPushButton>("超级按钮4")->isVisible());
        QVERIFY(!find<QPushButton>("超级按钮13")->isVisible());
        for (const char* state :
             {"透明标签1", "透明标签5", "透明标签9", "透明标签14", "透明标签19"}) {
            QCOMPARE(label(state)->text(), QStringLiteral("未导入"));
            QCOMPARE(label(state)->textColour(), Violet);
            QVERIFY(label(state)->font().bold());
            QCOMPARE(label(state)->font().pixelSize(), 16);
        }
        for (const char* count : {"透明标签3", "透明标签7", "透明标签11", "透明标签16"}) {
            QCOMPARE(label(count)->text(), QStringLiteral("0"));
            QCOMPARE(label(count)->textColour(), Violet);
        }
        QCOMPARE(window_->workList().itemCount(), 0);
        QVERIFY(find<QRadioButton>("单选框1")->isChecked());
        QVERIFY(!find<QRadioButton>("单选框2")->isChecked());
        QVERIFY(!find<QCheckBox>("选择框1")->isChecked());
        QVERIFY(find<QCheckBox>("选择框2")->isChecked());
        for (const char* box : {"编辑框1", "编辑框5"}) {
            QVERIFY(find<QLineEdit>(box)->text().isEmpty());
        }
        for (const char* box : {"编辑框2", "编辑框3", "编辑框4"}) {
            QVERIFY(find<QPlainTextEdit>(box)->toPlainText().isEmpty());
        }
        // "宋体", or the Song face installed in its place.
        const QString stateFace = QFontInfo(label("透明标签1")->font()).family();
        QVERIFY2(QStringList({"宋体", "SimSun", "Noto Serif CJK SC"}).contains(stateFace),
                 qPrintable(stateFace));
        const TransparentLabel* note = label("透明标签20");
        QCOMPARE(note->textColour(), fromColorRef(0xFF00FF));
        QCOMPARE(note->font().pixelSize(), 12);
        QVERIFY(note->font().bold());
        QCOMPARE(find<PageButton>("超级按钮2")->faceColour(), fromColorRef(0xC8D0D4));

        // Tab visits the controls that take input, never labels, frames or the tabs.
        for (const char* passive : {"透明标签1", "透明标签20", "分组框1", "高级选择夹1"}) {
            QCOMPARE(find<QWidget>(passive)->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(find<PageTabs>("高级选择夹1")->tabBar()->focusPolicy(), Qt::NoFocus);
        for (const char* active :
             {"超级按钮1", "按钮1", "编辑框1", "编辑框3", "单选框1", "选择框1", "超级列表框1"}) {
            QVERIFY2(find<QWidget>(active)->focusPolicy() & Qt::TabFocus, active);
        }
    }

    void everyControlSpeaksInOneSongFaceWithRealBold() {
        const QString face = QFontInfo(juanzhi::ui::songFont(12, false)).family();
        QVERIFY2(QStringList({"宋体", "SimSun", "Noto Serif CJK SC"}).contains(face),
                 qPrintable(face));
        int controls = 0;
        for (const QWidget* control : window_->findChildren<QWidget*>()) {
            if (!qobject_cast<const QAbstractButton*>(control) &&
                !qobject_cast<const QLabel*>(control) && !qobject_cast<const QLineEdit*>(control) &&
                !qobject_cast<const QPlainTextEdit*>(control) &&
                !qobject_cast<const QGroupBox*>(control) &&
                !qobject_cast<const QTabBar*>(control) &&
                !qobject_cast<const QHeaderView*>(control) && control != &window_->workList()) {
                continue;
            }
            ++controls;
            QVERIFY2(QFontInfo(control->font()).family() == face,
                     qPrintable(control->objectName() + QStringLiteral(": ") +
                                QFontInfo(control->font()).family()));
            if (control->font().pixelSize() != 16) {  // the state and count labels
                QCOMPARE(control->font().pixelSize(), 12);
            }
        }
        QVERIFY2(controls >= 50, qPrintable(QString::number(controls)));

        // The bold labels lay down clearly more ink than the same text in
        // the regular weight: a face without bold would draw them plain.
        for (const char* bold : {"透明标签1", "透明标签3", "透明标签20"}) {
            QFont regular = label(bold)->font();
            regular.setBold(false);
            const QString text = QStringLiteral("未导入数量");
            QVERIFY2(inkOf(label(bold)->font(), text) > inkOf(regular, text) * 5 / 4, bold);
        }
    }

    void pageButtonLightensUnderThePointer() {
        auto* button = find<PageButton>("超级按钮2");
        auto faceAtEdge = [button] { return button->grab().toImage().pixelColor(6, 4); };
        QCOMPARE(faceAtEdge(), fromColorRef(0xC8D0D4));
        // The pointer enters and leaves, as the window system reports it.
        const QPointF centre = button->rect().center();
        QEnterEvent enter(centre, centre, button->mapToGlobal(centre));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(faceAtEdge(), fromColorRef(0xE8F0F4));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QCOMPARE(faceAtEdge(), fromColorRef(0xC8D0D4));
    }

    void windowIsFixedCentredAndCannotBeMaximised() {
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        const QSize outer = window_->frameGeometry().size();
        QCOMPARE(outer, QSize(MainWindow::OuterWidth, MainWindow::OuterHeight));
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!window_->windowIcon().isNull());
        const QPoint screenCentre = window_->screen()->availableGeometry().center();
        QVERIFY((window_->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    }

    void controlsStandWhereTheLayoutPutsThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("relativeTo");  // empty: the window's client area
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        const QString tabs = QStringLiteral("高级选择夹1");
        auto add = [](const char* name, const QString& relativeTo, QRect place,
                      const char* caption) {
            QTest::newRow(name) << QString::fromUtf8(name) << relativeTo << place
                                << QString::fromUtf8(caption);
        };
        add("高级选择夹1", {}, {9, 9, 160, 327}, "");
        add("超级列表框1", {}, {177, 8, 384, 355}, "");
        add("按钮1", {}, {48, 344, 104, 32}, "关 闭");
        add("透明标签20", {}, {189, 366, 328, 16},
            "注意：合并文档以及分割文档的保存目录为软件所在目录");
        add("超级按钮1", tabs, {47, 23, 80, 24}, "导 入");
        add("超级按钮2", tabs, {47, 63, 80, 24}, "开 始");
        add("超级按钮3", tabs, {47, 103, 80, 24}, "重 置");
        add("分组框1", tabs, {32, 238, 120, 80}, "状态");
        add("透明标签1", "分组框1", {16, 16, 88, 32}, "未导入");
        add("透明标签2", "分组框1", {24, 50, 32, 24}, "数量：");
        add("透明标签3", "分组框1", {64, 50, 32, 24}, "0");
        add("超级按钮4", tabs, {47, 23, 80, 24}, "导 入");
        add("超级按钮5", tabs, {47, 63, 80, 24}, "上 移");
        add("超级按钮6", tabs, {47, 103, 80, 24}, "下 移");
        add("透明标签4", tabs, {39, 143, 96, 24}, "合并后的文件名：");
        add("编辑框1", tabs, {47, 170, 88, 24}, "");
        add("超级按钮7", tabs, {47, 207, 80, 24}, "合 并");
        add("分组框2", tabs, {32, 238, 120, 80}, "状态");
        add("透明标签5", "分组框2", {16, 16, 88, 32}, "未导入");
        add("透明标签6", "分组框2", {24, 50, 32, 24}, "数量：");
        add("透明标签7", "分组框2", {64, 50, 32, 24}, "0");
        add("超级按钮12", tabs, {47, 23, 80, 24}, "导 入");
        add("透明标签18", tabs, {55, 55, 80, 24}, "文件名：");
        add("编辑框5", tabs, {47, 79, 88, 24}, "");
        add("分组框7", tabs, {32, 111, 120, 80}, "序号");
        add("单选框1", "分组框7", {20, 18, 80, 24}, "数字后缀");
        add("单选框2", "分组框7", {20, 43, 80, 24}, "数字前缀");
        add("超级按钮13", tabs, {47, 204, 80, 24}, "分 割");
        add("分组框6", tabs, {32, 238, 120, 80}, "状态");
        add("透明标签19", "分组框6", {16, 16, 88, 32}, "未导入");
        add("超级按钮10", tabs, {47, 19, 80, 24}, "导 入");
        add("透明标签12", tabs, {32, 47, 80, 24}, "被替换文本：");
        add("编辑框3", tabs, {32, 70, 120, 36}, "");
        add("透明标签13", tabs, {32, 112, 80, 24}, "替换为：");
        add("编辑框4", tabs, {32, 134, 120, 36}, "");
        add("超级按钮11", tabs, {47, 188, 80, 24}, "替 换");
        add("分组框5", tabs, {32, 238, 120, 80}, "状态");
        add("透明标签14", "分组框5", {16, 16, 88, 32}, "未导入");
        add("透明标签15", "分组框5", {4, 49, 46, 24}, "已处理：");
        add("透明标签16", "分组框5", {51, 49, 24, 24}, "0");
        add("透明标签17", "分组框5", {79, 49, 38, 24}, "个文件");
        add("超级按钮8", tabs, {47, 19, 80, 24}, "导 入");
        add("分组框3", tabs, {32, 50, 120, 77}, "插入位置");
        add("选择框1", "分组框3", {24, 23, 72, 16}, "第二行");
        add("选择框2", "分组框3", {24, 49, 72, 16}, "文件末尾");
        add("透明标签8", tabs, {39, 127, 80, 24}, "欲插入内容：");
        add("编辑框2", tabs, {32, 147, 120, 50}, "");
        add("超级按钮9", tabs, {47, 205, 80, 24}, "插 入");
        add("分组框4", tabs, {32, 238, 120, 80}, "状态");
        add("透明标签9", "分组框4", {16, 16, 88, 32}, "未导入");
        add("透明标签10", "分组框4", {24, 50, 32, 24}, "数量：");
        add("透明标签11", "分组框4", {64, 50, 32, 24}, "0");
    }
    void controlsStandWhereTheLayoutPutsThem() {
        QFETCH(QString, name);
        QFETCH(QString, relativeTo);
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        QWidget* control = window_->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QWidget* origin =
            relativeTo.isEmpty() ? window_.get() : window_->findChild<QWidget*>(relativeTo);
        QVERIFY(origin != nullptr);
        QCOMPARE(QRect(control->mapTo(origin, QPoint(0, 0)), control->size()), place);

        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            shown = button->text();
        } else if (auto* text = qobject_cast<QLabel*>(control)) {
            shown = text->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            shown = group->title();
        }
        QCOMPARE(shown, caption);
    }

    void eachTabShowsItsHintInRed() {
        const QTabBar* bar = find<PageTabs>("高级选择夹1")->tabBar();
        QCOMPARE(bar->count(), 5);
        const QStringList captions{"批量改名", "合并文档", "分割文档", "文本替换", "插入文本"};
        for (int index = 0; index < 5; ++index) {
            QCOMPARE(bar->tabText(index), captions[index]);
        }
        const QString hint = bar->tabToolTip(3);
        QVERIFY2(hint.contains(QStringLiteral("<span style=\"color:red\">注意：可批量操作</span>")),
                 qPrintable(hint));
        QVERIFY(!hint.contains(QStringLiteral("<c=")));
        QVERIFY(bar->tabToolTip(0).contains(QStringLiteral("从txt文档第一行提取文章名")));
    }

    void importIntoEmptyThenFilledListPutsNewRowsOnTop() {
        clickTab(1);
        importOnMergePage({"/books/A.txt", "/books/B.txt", "/books/C.txt"});
        QCOMPARE(rows(), (QList<Row>{row("1", "/books/A.txt"), row("2", "/books/B.txt"),
                                     row("3", "/books/C.txt")}));
        QCOMPARE(label("透明标签7")->text(), QStringLiteral("3"));
        QCOMPARE(label("透明标签5")->text(), QStringLiteral("成功导入"));

        importOnMergePage({"/books/D.txt", "/books/E.txt"});
        QCOMPARE(rows(), (QList<Row>{row("1", "/books/D.txt"), row("2", "/books/E.txt"),
                                     row("1", "/books/A.txt"), row("2", "/books/B.txt"),
                                     row("3", "/books/C.txt")}));
        QCOMPARE(label("透明标签7")->text(), QStringLiteral("5"));
        QCOMPARE(label("透明标签5")->textColour(), Violet);

        const auto& question = dialogs_.filesQuestions.back();
        QCOMPARE(question.title, QStringLiteral("选择多个文件"));
        QCOMPARE(question.filter, QStringLiteral("文本文档|*.txt"));
        QCOMPARE(question.folder, juanzhi::ui::shownText(juanzhi::programDirectory()));
    }

    void aLongPathIsShortenedForShowOnly() {
        const QString longPath =
            QStringLiteral("/home/reader/下载/小说/武侠/金庸全集/第一卷/射雕英雄传.txt");
        dialogs_.filesAnswers.push_back({longPath});
        click("超级按钮1");
        const Row imported = rows().value(0);
        QCOMPARE(imported.fullPath, longPath);
        QVERIFY(imported.shownPath != longPath);
        QVERIFY(imported.shownPath.contains(QStringLiteral("...")));
        QVERIFY(imported.shownPath.endsWith(QStringLiteral("射雕英雄传.txt")));
        QVERIFY(window_->workList().itemText(0, 1).size() <= 51);
    }

    void everyChosenFileIsImportedHoweverLongTheSelection() {
        QStringList many;
        for (int k = 0; k < 1000; ++k) {
            many << QStringLiteral(
                        "/home/reader/books/a-rather-long-folder-name/第%1本书-一个很长的书名.txt")
                        .arg(k);
        }
        std::size_t selectionBytes = 0;
        for (const QString& path : many) {
            selectionBytes += juanzhi::ui::typedText(path)->size() + 1;
        }
        QVERIFY(selectionBytes > 61440);
        dialogs_.filesAnswers.push_back(many);
        click("超级按钮1");
        QCOMPARE(window_->workList().itemCount(), 1000);
        QCOMPARE(label("透明标签3")->text(), QStringLiteral("1000"));
        QCOMPARE(rows().last().number, QStringLiteral("1000"));
        QCOMPARE(rows().last().fullPath, many.last());
    }

    void importShowsNotImportedAtOnceBeforeTheDialogOpens() {
        window_->showState(juanzhi::ui::Page::RenamePage, juanzhi::ui::PageState::Done);
        QCOMPARE(label("透明标签1")->textColour(), Red);
        int paints = 0;
        QString seen;
        QColor seenColour;
        TransparentLabel* state = label("透明标签1");
        struct PaintCounter : QObject {
            int* count;
            explicit PaintCounter(int* c) : count(c) {}
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint) {
                    ++*count;
                }
                return false;
            }
        } counter(&paints);
        state->installEventFilter(&counter);
        dialogs_.whileOpen = [&] {
            seen = state->text();
            seenColour = state->textColour();
        };
        click("超级按钮1");  // cancelled
        QCOMPARE(seen, QStringLiteral("未导入"));
        QCOMPARE(seenColour, Violet);
        QVERIFY2(paints > 0, "the state label was not painted while the handler ran");
        QCOMPARE(state->text(), QStringLiteral("未导入"));
    }

    void cancelledImportKeepsRowsAndCount() {
        dialogs_.filesAnswers.push_back({"/books/A.txt", "/books/B.txt"});
        click("超级按钮1");
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("成功导入"));
        click("超级按钮1");  // no answer scripted: cancelled
        QCOMPARE(window_->workList().itemCount(), 2);
        QCOMPARE(label("透明标签3")->text(), QStringLiteral("2"));
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("未导入"));
        QCOMPARE(label("透明标签1")->textColour(), Violet);
    }

    void replacePageImportResetsItsProcessedCounter() {
        clickTab(3);
        label("透明标签16")->showText(QStringLiteral("4"));  // left from an earlier replace
        click("超级按钮10");                                 // cancelled
        QCOMPARE(label("透明标签16")->text(), QStringLiteral("0"));

        dialogs_.filesAnswers.push_back({"/books/A.txt", "/books/B.txt"});
        click("超级按钮10");
        QCOMPARE(window_->workList().itemCount(), 2);
        QCOMPARE(label("透明标签16")->text(), QStringLiteral("0"));
        QCOMPARE(label("透明标签14")->text(), QStringLiteral("成功导入"));
    }

    void splitPageImportProposesTheBookTitle() {
        const juanzhi::test::TempFolder folder;
        const QString book = QString::fromStdString(
            folder.write("one.txt", gbkBytes("《书名》作者：某人\r\n第一章\r\n")).string());
        const QString other =
            QString::fromStdString(folder.write("two.txt", gbkBytes("[另一本]/某人\r\n")).string());
        clickTab(2);
        find<QLineEdit>("编辑框5")->setText(QStringLiteral("typed"));

        dialogs_.fileAnswers.push_back(book);
        click("超级按钮12");
        QCOMPARE(rows(), QList<Row>{row("1", book)});
        QCOMPARE(find<QLineEdit>("编辑框5")->text(), QStringLiteral("书名"));
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("成功导入"));
        QVERIFY(std::filesystem::remove(folder.file("one.txt")));

        dialogs_.fileAnswers.push_back(other);
        click("超级按钮12");
        QCOMPARE(rows(), (QList<Row>{row("1", other), row("1", book)}));
        QCOMPARE(find<QLineEdit>("编辑框5")->text(), QStringLiteral("另一本"));

        // A book that cannot be read still gets its row, with no title proposed.
        dialogs_.fileAnswers.push_back(book);
        click("超级按钮12");
        QCOMPARE(window_->workList().itemCount(), 3);
        QVERIFY(find<QLineEdit>("编辑框5")->text().isEmpty());

        click("超级按钮12");  // cancelled
        QCOMPARE(window_->workList().itemCount(), 3);
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("未导入"));
    }

    void moveUpAndDownExchangePathsAndKeepNumbers() {
        clickTab(1);
        importOnMergePage({"/books/A.txt", "/books/B.txt", "/books/C.txt"});
        const Row a = row("1", "/books/A.txt"), b = row("2", "/books/B.txt"),
                  c = row("3", "/books/C.txt");
        WorkList& list = window_->workList();

        list.selectIndex(1);
        click("超级按钮5");
        QCOMPARE(rows(),
                 (QList<Row>{{"1", b.shownPath, b.fullPath}, {"2", a.shownPath, a.fullPath}, c}));
        QCOMPARE(list.selectedIndex(), 0);

        click("超级按钮5");  // already at the top
        QCOMPARE(rows(),
                 (QList<Row>{{"1", b.shownPath, b.fullPath}, {"2", a.shownPath, a.fullPath}, c}));
        QCOMPARE(list.selectedIndex(), 0);

        click("超级按钮6");
        QCOMPARE(rows(), (QList<Row>{a, b, c}));
        QCOMPARE(list.selectedIndex(), 1);

        click("超级按钮6");
        click("超级按钮6");  // already at the bottom
        QCOMPARE(rows(),
                 (QList<Row>{a, {"2", c.shownPath, c.fullPath}, {"3", b.shownPath, b.fullPath}}));
        QCOMPARE(list.selectedIndex(), 2);

        list.selectIndex(-1);
        click("超级按钮5");
        click("超级按钮6");
        QCOMPARE(rows(),
                 (QList<Row>{a, {"2", c.shownPath, c.fullPath}, {"3", b.shownPath, b.fullPath}}));
        QCOMPARE(list.selectedIndex(), -1);
    }

    void pageSwitchResetsEveryPageButKeepsContentAndChoices() {
        find<QPlainTextEdit>("编辑框2")->setPlainText(QStringLiteral("插入的一行"));
        find<QPlainTextEdit>("编辑框3")->setPlainText(QStringLiteral("旧"));
        find<QPlainTextEdit>("编辑框4")->setPlainText(QStringLiteral("新"));
        find<QRadioButton>("单选框2")->setChecked(true);
        find<QCheckBox>("选择框1")->setChecked(true);
        find<QCheckBox>("选择框2")->setChecked(false);
        find<QLineEdit>("编辑框5")->setText(QStringLiteral("书名"));
        window_->showState(juanzhi::ui::Page::ReplacePage, juanzhi::ui::PageState::Done);
        label("透明标签16")->showText(QStringLiteral("3"));

        clickTab(1);
        importOnMergePage({"/books/A.txt", "/books/B.txt", "/books/C.txt"});
        find<QLineEdit>("编辑框1")->setText(QStringLiteral("合集"));

        QSignalSpy switches(find<PageTabs>("高级选择夹1"), &PageTabs::pageChanged);
        clickTab(1);  // the page already shown
        QCOMPARE(switches.count(), 0);
        QCOMPARE(window_->workList().itemCount(), 3);

        clickTab(2);
        QCOMPARE(switches.count(), 1);
        QVERIFY(find<QPushButton>("超级按钮13")->isVisible());
        QVERIFY(!find<QPushButton>("超级按钮4")->isVisible());
        QCOMPARE(window_->workList().itemCount(), 0);
        for (const char* state :
             {"透明标签1", "透明标签5", "透明标签9", "透明标签14", "透明标签19"}) {
            QCOMPARE(label(state)->text(), QStringLiteral("未导入"));
            QCOMPARE(label(state)->textColour(), Violet);
        }
        for (const char* count : {"透明标签3", "透明标签7", "透明标签11", "透明标签16"}) {
            QCOMPARE(label(count)->text(), QStringLiteral("0"));
        }
        QVERIFY(find<QLineEdit>("编辑框1")->text().isEmpty());
        QVERIFY(find<QLineEdit>("编辑框5")->text().isEmpty());
        QCOMPARE(find<QPlainTextEdit>("编辑框2")->toPlainText(), QStringLiteral("插入的一行"));
        QCOMPARE(find<QPlainTextEdit>("编辑框3")->toPlainText(), QStringLiteral("旧"));
        QCOMPARE(find<QPlainTextEdit>("编辑框4")->toPlainText(), QStringLiteral("新"));
        QVERIFY(find<QRadioButton>("单选框2")->isChecked());
        QVERIFY(!find<QRadioButton>("单选框1")->isChecked());
        QVERIFY(find<QCheckBox>("选择框1")->isChecked());
        QVERIFY(!find<QCheckBox>("选择框2")->isChecked());
    }

    void resetButtonEmptiesOnlyTheRenamePage() {
        dialogs_.filesAnswers.push_back({"/books/A.txt", "/books/B.txt"});
        click("超级按钮1");
        window_->showState(juanzhi::ui::Page::InsertPage, juanzhi::ui::PageState::Done);
        for (int press = 0; press < 2; ++press) {
            click("超级按钮3");
            QCOMPARE(window_->workList().itemCount(), 0);
            QCOMPARE(label("透明标签1")->text(), QStringLiteral("未导入"));
            QCOMPARE(label("透明标签3")->text(), QStringLiteral("0"));
        }
        QCOMPARE(label("透明标签9")->text(), QStringLiteral("完成"));
    }

    void severalLineBoxesScrollToWhatWasTyped_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::newRow("search box") << 3 << "编辑框3";
        QTest::newRow("replacement box") << 3 << "编辑框4";
        QTest::newRow("content box") << 4 << "编辑框2";
    }
    void severalLineBoxesScrollToWhatWasTyped() {
        QFETCH(int, page);
        QFETCH(QString, name);
        clickTab(page);
        auto* box = find<QPlainTextEdit>(name.toUtf8().constData());
        const QRect place = box->geometry();
        box->setFocus();
        for (const QString line : {"甲", "乙", "丙", "丁"}) {
            if (line != QStringLiteral("甲")) {
                QTest::keyClick(box, Qt::Key_Return);
            }
            // Chinese is typed through the input method.
            QInputMethodEvent typed;
            typed.setCommitString(line);
            QApplication::sendEvent(box, &typed);
        }
        QCOMPARE(box->toPlainText(), QStringLiteral("甲\n乙\n丙\n丁"));
        QCOMPARE(box->geometry(), place);
        QTRY_VERIFY(box->verticalScrollBar()->isVisible());
        // The line typed last is in view ...
        QVERIFY(box->viewport()->rect().contains(box->cursorRect()));
        // ... and the first is a scroll away.
        box->verticalScrollBar()->setValue(box->verticalScrollBar()->minimum());
        QCOMPARE(box->cursorForPosition(QPoint(4, 4)).block().text(), QStringLiteral("甲"));
    }

    void enterClicksNothingAndStartsLinesOnlyInSeveralLineBoxes() {
        auto* importButton = find<QPushButton>("超级按钮1");
        importButton->setFocus();
        QTest::keyClick(importButton, Qt::Key_Return);
        QTest::keyClick(importButton, Qt::Key_Enter);
        QVERIFY(dialogs_.filesQuestions.empty());

        clickTab(1);
        auto* nameBox = find<QLineEdit>("编辑框1");
        nameBox->setFocus();
        QTest::keyClicks(nameBox, QStringLiteral("ab"));
        QTest::keyClick(nameBox, Qt::Key_Return);
        QCOMPARE(nameBox->text(), QStringLiteral("ab"));

        clickTab(3);
        auto* searchBox = find<QPlainTextEdit>("编辑框3");
        searchBox->setFocus();
        QTest::keyClicks(searchBox, QStringLiteral("ab"));
        QTest::keyClick(searchBox, Qt::Key_Return);
        QTest::keyClicks(searchBox, QStringLiteral("c"));
        QCOMPARE(searchBox->toPlainText(), QStringLiteral("ab\nc"));
        QVERIFY(window_->isVisible());
    }

    void escapeClosesTheWindowFromAnEditBox() {
        clickTab(3);
        auto* searchBox = find<QPlainTextEdit>("编辑框3");
        searchBox->setFocus();
        dialogs_.filesAnswers.push_back({"/books/A.txt"});
        click("超级按钮10");
        searchBox->setFocus();
        QTest::keyClick(searchBox, Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
    }

    // Each page as the user sees it. With JUANZHI_SCREENSHOTS set to a folder
    // the pictures are kept there, to be looked at.
    void everyPageRendersInTheThemedLook() {
        juanzhi::ui::enableThemedLook(1);
        dialogs_.filesAnswers.push_back({"/home/reader/下载/小说/第一部.txt",
                                         "/home/reader/下载/小说/很长很长的文件夹名字/第二部.txt"});
        const QString folder = qEnvironmentVariable("JUANZHI_SCREENSHOTS");
        for (int page = 0; page < 5; ++page) {
            clickTab(page);
            if (page == 1) {
                importOnMergePage(dialogs_.filesAnswers.front());
                window_->workList().selectIndex(1);
            }
            const QImage picture = window_->grab().toImage();
            QCOMPARE(picture.size(), window_->size());
            if (!folder.isEmpty()) {
                QVERIFY(picture.save(QStringLiteral("%1/page-%2.png").arg(folder).arg(page)));
            }
        }
        if (!folder.isEmpty()) {
            QVERIFY(window_->windowIcon().pixmap(64).save(folder + QStringLiteral("/icon.png")));
        }
        juanzhi::ui::enableThemedLook(0);
    }

    void dropImportsAsTheImportButtonDoes_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("importButton");
        QTest::newRow("rename page") << 0 << "超级按钮1";
        QTest::newRow("merge page") << 1 << "超级按钮4";
        QTest::newRow("replace page") << 3 << "超级按钮10";
        QTest::newRow("insert page") << 4 << "超级按钮8";
    }
    void dropImportsAsTheImportButtonDoes() {
        QFETCH(int, page);
        QFETCH(QString, importButton);
        const juanzhi::test::TempFolder folder;
        const QString a = qtPath(folder.write("甲.txt", "a"));
        const QString b = qtPath(folder.write("乙.txt", "b"));
        const QString earlier = qtPath(folder.write("早.txt", "c"));
        const QString picture = qtPath(folder.write("封面.jpg", "d"));
        const QString subfolder = QDir(qtPath(folder.path())).filePath(QStringLiteral("卷一"));
        QVERIFY(QDir().mkdir(subfolder));
        const auto page_ = static_cast<juanzhi::ui::Page>(page);

        // By the button, into a list that already holds a book.
        clickTab(page);
        dialogs_.filesAnswers = {{earlier}, {a, b}};
        click(importButton.toUtf8().constData());
        window_->statusPanel(page_).countLabel->showText(QStringLiteral("7"));
        click(importButton.toUtf8().constData());

        // By a drop, in a window like it.
        FakeDialogs otherDialogs;
        MainWindow other(otherDialogs);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        clickTabOf(other, page);
        otherDialogs.filesAnswers = {{earlier}};
        juanzhi::test::clickButton(other, importButton.toUtf8().constData());
        other.statusPanel(page_).countLabel->showText(QStringLiteral("7"));
        QVERIFY(juanzhi::test::dropFiles(other.workList().viewport(), {a, picture, subfolder, b}));

        QCOMPARE(rowsOf(other), rows());
        QCOMPARE(rows(), (QList<Row>{row("1", a), row("2", b), row("1", earlier)}));
        QCOMPARE(panelOf(other, page_), panelOf(*window_, page_));
        QCOMPARE(otherDialogs.filesQuestions.size(), 1u);  // the drop asked nothing
        QCOMPARE(otherDialogs.messages.size(), 1u);
        QCOMPARE(otherDialogs.messages[0].text, IgnoredTwo);
        QCOMPARE(otherDialogs.messages[0].title, QStringLiteral("提示"));
        QVERIFY(dialogs_.messages.empty());
    }

    void dropOnTheSplitPageTakesTheFirstBookAndProposesItsTitle() {
        const juanzhi::test::TempFolder folder;
        const QString first =
            qtPath(folder.write("one.txt", gbkBytes("《书名》作者：某人\r\n第一章\r\n")));
        const QString second = qtPath(folder.write("two.txt", gbkBytes("[另一本]/某人\r\n")));
        const QString picture = qtPath(folder.write("封面.jpg", "d"));
        const QString link = qtPath(folder.file("链接.txt"));
        QVERIFY(QFile::link(qtPath(folder.path()), link));  // a folder in a book's name
        clickTab(2);
        find<QLineEdit>("编辑框5")->setText(QStringLiteral("typed"));

        QVERIFY(drop({picture, first, link, second}));
        QCOMPARE(rows(), QList<Row>{row("1", first)});
        QCOMPARE(find<QLineEdit>("编辑框5")->text(), QStringLiteral("书名"));
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("成功导入"));
        QCOMPARE(dialogs_.fileQuestions, 0);
        QCOMPARE(dialogs_.messages.size(), 1u);
        QCOMPARE(dialogs_.messages[0].text,
                 IgnoredTwo + QStringLiteral("\n分割文档只导入第一个txt文档，另有 1 个未导入"));
    }

    void dropWithoutBooksChangesNothingButSaysWhy() {
        const juanzhi::test::TempFolder folder;
        const QString book = qtPath(folder.write("甲.txt", "a"));
        dialogs_.filesAnswers.push_back({book});
        click("超级按钮1");

        QVERIFY(drop({qtPath(folder.path()), qtPath(folder.file("没有这本.txt"))}));
        QCOMPARE(rows(), QList<Row>{row("1", book)});
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("成功导入"));
        QCOMPARE(label("透明标签3")->text(), QStringLiteral("1"));
        QCOMPARE(dialogs_.messages.size(), 1u);
        QCOMPARE(dialogs_.messages[0].text, IgnoredTwo);

        // Dragged text is no file at all: the list does not take it.
        QMimeData text;
        text.setText(QStringLiteral("/books/甲.txt"));
        QVERIFY(!juanzhi::test::dropOn(window_->workList().viewport(), text));
        QCOMPARE(window_->workList().itemCount(), 1);
    }

    void aNameTheCodePageCannotHoldIsLeftOutAndSaidSo() {
        // A lone surrogate has no form in any code page.
        const QString unnamable =
            QStringLiteral("/books/书") + QChar(0xD800) + QStringLiteral(".txt");
        const QString note = QStringLiteral("1 个文件的名字含有GBK中没有的字符，未导入");

        // Chosen alone: nothing is imported, and the page does not claim it.
        dialogs_.filesAnswers.push_back({unnamable});
        click("超级按钮1");
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("未导入"));
        QCOMPARE(dialogs_.messages.back().text, note);

        dialogs_.filesAnswers.push_back({unnamable, QStringLiteral("/books/甲.txt")});
        click("超级按钮1");
        QCOMPARE(rows(), QList<Row>{row("1", QStringLiteral("/books/甲.txt"))});
        QCOMPARE(label("透明标签1")->text(), QStringLiteral("成功导入"));
        QCOMPARE(dialogs_.messages.size(), 2u);

        clickTab(2);
        dialogs_.fileAnswers.push_back(unnamable);
        click("超级按钮12");
        QCOMPARE(window_->workList().itemCount(), 0);
        QCOMPARE(label("透明标签19")->text(), QStringLiteral("未导入"));
        QCOMPARE(dialogs_.messages.size(), 3u);
        QCOMPARE(dialogs_.messages.back().text, note);
    }

    void anUnwritableProgramFolderSendsBooksToTheUsersOwnFolder() {
        const juanzhi::test::TempFolder documents;
        const QString own = QDir(qtPath(documents.path())).filePath(QStringLiteral("卷帙坊"));
        FakeDialogs dialogs;
        MainWindow window(dialogs, *juanzhi::ui::chosenPath(own));

        const auto* note = juanzhi::test::findControl<TransparentLabel>(window, "透明标签20");
        const QString lead = QStringLiteral("注意：合并文档以及分割文档的保存目录为");
        QVERIFY(note->text().startsWith(lead));
        QVERIFY(!note->text().contains(QStringLiteral("软件所在目录")));
        QVERIFY2(note->text() == lead + own || note->toolTip() == lead + own,
                 qPrintable(note->text()));
        QVERIFY(note->fontMetrics().horizontalAdvance(note->text()) <= note->width());
        const QTabBar* tabs = juanzhi::test::findControl<PageTabs>(window, "高级选择夹1")->tabBar();
        QVERIFY(tabs->tabToolTip(1).contains(QStringLiteral("注意：合并后的文件存放在") + own));
        QVERIFY(tabs->tabToolTip(2).contains(QStringLiteral("注意：分割后的文件存放在") + own));

        QVERIFY(!QDir(own).exists());  // made when first needed
        juanzhi::test::clickButton(window, "超级按钮1");
        QCOMPARE(dialogs.filesQuestions.back().folder, own);
        QVERIFY(QDir(own).exists());
    }

    void closeButtonClosesTheWindow() {
        click("按钮1");
        QVERIFY(!window_->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
