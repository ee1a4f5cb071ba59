#include "ui/main_window.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <limits>
#include <utility>

#include "books/rename.h"
#include "books/title.h"
#include "core/byte_text.h"
#include "core/text_file.h"
#include "ui/dropped_files.h"
#include "ui/look.h"
#include "ui/output_folder.h"
#include "ui/page_button.h"
#include "ui/page_tabs.h"
#include "ui/screen_text.h"
#include "ui/transparent_label.h"
#include "ui/user_dialogs.h"
#include "ui/work_list.h"

namespace juanzhi::ui {

namespace {

// Every control lies inside this corner of the client area; a platform with
// a thicker frame than the layout assumed gets a larger window, not clipped
// controls.
constexpr QSize SmallestClientSize(562, 383);

const QString ChooseFilesTitle = QStringLiteral("选择多个文件");

enum class LabelKind { State, Count, Note, Caption };

TransparentLabel* makeLabel(QWidget* parent, const char* name, const QString& text, LabelKind kind,
                            QRect place) {
    auto* label = new TransparentLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(place);
    switch (kind) {
        case LabelKind::State:
            label->setFont(songFont(16, true));
            label->showColour(stateColour(PageState::NotImported));
            label->setAlignment(Qt::AlignCenter);
            break;
        case LabelKind::Count:
            label->setFont(songFont(16, true));
            label->showColour(fromColorRef(CountColour));
            label->setAlignment(Qt::AlignCenter);
            break;
        case LabelKind::Note:
            label->setFont(songFont(12, true));
            label->showColour(fromColorRef(NoteColour));
            break;
        case LabelKind::Caption:
            break;
    }
    return label;
}

PageButton* makePageButton(QWidget* page, const char* name, const QString& caption, int x, int y) {
    auto* button = new PageButton(caption, page);
    button->setObjectName(QString::fromUtf8(name));
    PageTabs::place(button, x, y, 80, 24);
    return button;
}

void whiteBackground(QWidget* widget) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Text, Qt::black);
    widget->setPalette(colours);
}

QGroupBox* makeGroupBox(QWidget* page, const char* name, const QString& caption, int x, int y,
                        int width, int height) {
    auto* box = new QGroupBox(caption, page);
    box->setObjectName(QString::fromUtf8(name));
    box->setAlignment(Qt::AlignLeft);
    box->setAutoFillBackground(true);
    whiteBackground(box);
    PageTabs::place(box, x, y, width, height);
    return box;
}

// The selection is hidden while the box has no focus.
void hideInactiveSelection(QWidget* box) {
    QPalette colours = box->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    box->setPalette(colours);
}

QLineEdit* makeLineBox(QWidget* page, const char* name, int x, int y, int width, int height) {
    auto* box = new QLineEdit(page);
    box->setObjectName(QString::fromUtf8(name));
    box->setMaxLength(std::numeric_limits<int>::max());
    whiteBackground(box);
    hideInactiveSelection(box);
    PageTabs::place(box, x, y, width, height);
    return box;
}

QPlainTextEdit* makeLinesBox(QWidget* page, const char* name, int x, int y, int width, int height) {
    auto* box = new QPlainTextEdit(page);
    box->setObjectName(QString::fromUtf8(name));
    box->setTabChangesFocus(true);  // Tab moves on; Enter starts a new line
    // Lines wrap, and a box too low for what was typed scrolls, keeping
    // its place and size.
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->document()->setDocumentMargin(2);
    box->setFrameShape(QFrame::Box);
    box->setLineWidth(1);
    whiteBackground(box);
    hideInactiveSelection(box);
    PageTabs::place(box, x, y, width, height);
    return box;
}

template <typename Choice>
Choice* makeChoice(QGroupBox* group, const char* name, const QString& caption, QRect place,
                   bool chosen) {
    auto* choice = new Choice(caption, group);
    choice->setObjectName(QString::fromUtf8(name));
    choice->setChecked(chosen);
    whiteBackground(choice);
    choice->setGeometry(place);
    return choice;
}

// A caption on a page, placed from the tab control's corner.
void makePageCaption(QWidget* page, const char* name, const QString& text, int x, int y, int width,
                     int height) {
    PageTabs::place(makeLabel(page, name, text, LabelKind::Caption, QRect()), x, y, width, height);
}

// The group box "状态" with its state label; each page adds its count.
std::pair<QGroupBox*, StatusPanel> makeStatusPanel(QWidget* page, const char* boxName,
                                                   const char* stateName) {
    QGroupBox* box = makeGroupBox(page, boxName, QStringLiteral("状态"), 32, 238, 120, 80);
    StatusPanel panel;
    panel.stateLabel = makeLabel(box, stateName, stateText(PageState::NotImported),
                                 LabelKind::State, QRect(16, 16, 88, 32));
    return {box, panel};
}

// The count caption and count label of the rename, merge and insert pages.
StatusPanel makeCountingPanel(QWidget* page, const char* boxName, const char* stateName,
                              const char* captionName, const char* countName) {
    auto [box, panel] = makeStatusPanel(page, boxName, stateName);
    makeLabel(box, captionName, QStringLiteral("数量："), LabelKind::Caption,
              QRect(24, 50, 32, 24));
    panel.countLabel =
        makeLabel(box, countName, QStringLiteral("0"), LabelKind::Count, QRect(64, 50, 32, 24));
    return panel;
}

// The note under the list names the folder new books go to, shortly where
// it can; a name still too long loses its middle, and the whole path shows
// when the pointer rests on the note.
void makeNote(QWidget* window, const ByteText& folder) {
    const QString lead = QStringLiteral("注意：合并文档以及分割文档的保存目录为");
    const QRect place(189, 366, 328, 16);
    TransparentLabel* note = makeLabel(window, "透明标签20", lead, LabelKind::Note, place);
    const int room = place.width() - note->fontMetrics().horizontalAdvance(lead);
    note->setText(lead + note->fontMetrics().elidedText(shortOutputFolderName(folder),
                                                        Qt::ElideMiddle, room));
    if (note->text() != lead + outputFolderName(folder)) {
        note->setToolTip(lead + outputFolderName(folder));
    }
}

// Said when chosen files were left out: a name with a character the books'
// code page lacks cannot be opened by the operations.
QString unnamableNote(int refused) {
    if (refused == 0) {
        return {};
    }
    return QStringLiteral("%1 个文件的名字含有GBK中没有的字符，未导入").arg(refused);
}

QString countText(int count) {
    return shownText(numberToText(static_cast<std::int32_t>(count)));
}

}  // namespace

MainWindow::MainWindow(UserDialogs& dialogs, ByteText outputFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      outputFolder_(std::move(outputFolder)) {
    setWindowTitle(QStringLiteral("卷帙坊-测试版"));
    setWindowIcon(programIcon());
    setFixedSize(OuterWidth, OuterHeight);

    tabs_ = new PageTabs(this);
    tabs_->setObjectName(QStringLiteral("高级选择夹1"));
    tabs_->setGeometry(9, 9, 160, 327);
    buildRenamePage(tabs_->addPage(
        QStringLiteral("批量改名"),
        QStringLiteral("<c=red>从txt文档第一行提取文章名并用以重命名该txt文档</c>")));
    buildMergePage(tabs_->addPage(QStringLiteral("合并文档"),
                                  QStringLiteral("<c=red>注意：合并后的文件存放在%1</c>")
                                      .arg(outputFolderName(outputFolder_))));
    buildSplitPage(tabs_->addPage(QStringLiteral("分割文档"),
                                  QStringLiteral("<c=red>注意：分割后的文件存放在%1</c>")
                                      .arg(outputFolderName(outputFolder_))));
    buildReplacePage(
        tabs_->addPage(QStringLiteral("文本替换"), QStringLiteral("<c=red>注意：可批量操作</c>")));
    buildInsertPage(
        tabs_->addPage(QStringLiteral("插入文本"), QStringLiteral("<c=red>注意：可批量操作</c>")));

    workList_ = new WorkList(this);
    workList_->setObjectName(QStringLiteral("超级列表框1"));
    workList_->setGeometry(177, 8, 384, 355);
    connect(workList_, &WorkList::dropped, this, &MainWindow::importDropped);

    closeButton_ = new QPushButton(QStringLiteral("关 闭"), this);
    closeButton_->setObjectName(QStringLiteral("按钮1"));
    closeButton_->setAutoDefault(false);
    closeButton_->setDefault(false);
    closeButton_->setGeometry(48, 344, 104, 32);

    makeNote(this, outputFolder_);

    // Bound last, so building the tabs raises nothing.
    connect(tabs_, &PageTabs::pageChanged, this, &MainWindow::resetPages);
    connect(closeButton_, &QPushButton::clicked, this, &MainWindow::closeMainWindow);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &MainWindow::closeMainWindow);
}

void MainWindow::buildRenamePage(QWidget* page) {
    auto* importButton = makePageButton(page, "超级按钮1", QStringLiteral("导 入"), 47, 23);
    startButton_ = makePageButton(page, "超级按钮2", QStringLiteral("开 始"), 47, 63);
    auto* resetButton = makePageButton(page, "超级按钮3", QStringLiteral("重 置"), 47, 103);
    panelOf(Page::RenamePage) =
        makeCountingPanel(page, "分组框1", "透明标签1", "透明标签2", "透明标签3");

    connect(importButton, &QPushButton::clicked, this, [this] { importFiles(Page::RenamePage); });
    connect(resetButton, &QPushButton::clicked, this, &MainWindow::resetRenamePage);
    connect(startButton_, &QPushButton::clicked, this, &MainWindow::renameListedBooks);
}

void MainWindow::buildMergePage(QWidget* page) {
    auto* importButton = makePageButton(page, "超级按钮4", QStringLiteral("导 入"), 47, 23);
    auto* upButton = makePageButton(page, "超级按钮5", QStringLiteral("上 移"), 47, 63);
    auto* downButton = makePageButton(page, "超级按钮6", QStringLiteral("下 移"), 47, 103);
    makePageCaption(page, "透明标签4", QStringLiteral("合并后的文件名："), 39, 143, 96, 24);
    mergeNameBox_ = makeLineBox(page, "编辑框1", 47, 170, 88, 24);
    mergeButton_ = makePageButton(page, "超级按钮7", QStringLiteral("合 并"), 47, 207);
    panelOf(Page::MergePage) =
        makeCountingPanel(page, "分组框2", "透明标签5", "透明标签6", "透明标签7");

    connect(importButton, &QPushButton::clicked, this, [this] { importFiles(Page::MergePage); });
    connect(upButton, &QPushButton::clicked, this, &MainWindow::moveItemUp);
    connect(downButton, &QPushButton::clicked, this, &MainWindow::moveItemDown);
    connect(mergeButton_, &QPushButton::clicked, this, &MainWindow::mergeListedBooks);
}

void MainWindow::buildSplitPage(QWidget* page) {
    auto* importButton = makePageButton(page, "超级按钮12", QStringLiteral("导 入"), 47, 23);
    makePageCaption(page, "透明标签18", QStringLiteral("文件名："), 55, 55, 80, 24);
    splitNameBox_ = makeLineBox(page, "编辑框5", 47, 79, 88, 24);
    QGroupBox* numbering = makeGroupBox(page, "分组框7", QStringLiteral("序号"), 32, 111, 120, 80);
    suffixButton_ = makeChoice<QRadioButton>(numbering, "单选框1", QStringLiteral("数字后缀"),
                                             QRect(20, 18, 80, 24), true);
    prefixButton_ = makeChoice<QRadioButton>(numbering, "单选框2", QStringLiteral("数字前缀"),
                                             QRect(20, 43, 80, 24), false);
    splitButton_ = makePageButton(page, "超级按钮13", QStringLiteral("分 割"), 47, 204);

    panelOf(Page::SplitPage) = makeStatusPanel(page, "分组框6", "透明标签19").second;

    connect(importButton, &QPushButton::clicked, this, &MainWindow::importSingleFile);
    connect(splitButton_, &QPushButton::clicked, this, &MainWindow::splitFirstBook);
}

void MainWindow::buildReplacePage(QWidget* page) {
    auto* importButton = makePageButton(page, "超级按钮10", QStringLiteral("导 入"), 47, 19);
    makePageCaption(page, "透明标签12", QStringLiteral("被替换文本："), 32, 47, 80, 24);
    searchBox_ = makeLinesBox(page, "编辑框3", 32, 70, 120, 36);
    makePageCaption(page, "透明标签13", QStringLiteral("替换为："), 32, 112, 80, 24);
    replacementBox_ = makeLinesBox(page, "编辑框4", 32, 134, 120, 36);
    replaceButton_ = makePageButton(page, "超级按钮11", QStringLiteral("替 换"), 47, 188);

    auto [box, panel] = makeStatusPanel(page, "分组框5", "透明标签14");
    makeLabel(box, "透明标签15", QStringLiteral("已处理："), LabelKind::Caption,
              QRect(4, 49, 46, 24));
    panel.countLabel =
        makeLabel(box, "透明标签16", QStringLiteral("0"), LabelKind::Count, QRect(51, 49, 24, 24));
    panelOf(Page::ReplacePage) = panel;
    makeLabel(box, "透明标签17", QStringLiteral("个文件"), LabelKind::Caption,
              QRect(79, 49, 38, 24));

    connect(importButton, &QPushButton::clicked, this, [this] { importFiles(Page::ReplacePage); });
    connect(replaceButton_, &QPushButton::clicked, this, &MainWindow::replaceInListedBooks);
}

void MainWindow::buildInsertPage(QWidget* page) {
    auto* importButton = makePageButton(page, "超级按钮8", QStringLiteral("导 入"), 47, 19);
    QGroupBox* places = makeGroupBox(page, "分组框3", QStringLiteral("插入位置"), 32, 50, 120, 77);
    secondLineBox_ = makeChoice<QCheckBox>(places, "选择框1", QStringLiteral("第二行"),
                                           QRect(24, 23, 72, 16), false);
    endOfFileBox_ = makeChoice<QCheckBox>(places, "选择框2", QStringLiteral("文件末尾"),
                                          QRect(24, 49, 72, 16), true);
    makePageCaption(page, "透明标签8", QStringLiteral("欲插入内容："), 39, 127, 80, 24);
    contentBox_ = makeLinesBox(page, "编辑框2", 32, 147, 120, 50);
    insertButton_ = makePageButton(page, "超级按钮9", QStringLiteral("插 入"), 47, 205);
    panelOf(Page::InsertPage) =
        makeCountingPanel(page, "分组框4", "透明标签9", "透明标签10", "透明标签11");

    connect(importButton, &QPushButton::clicked, this, [this] { importFiles(Page::InsertPage); });
    connect(insertButton_, &QPushButton::clicked, this, &MainWindow::insertIntoListedBooks);
}

const StatusPanel& MainWindow::statusPanel(Page page) const {
    return panels_[static_cast<std::size_t>(page)];
}

StatusPanel& MainWindow::panelOf(Page page) {
    return panels_[static_cast<std::size_t>(page)];
}

void MainWindow::showState(Page page, PageState state) {
    ui::showState(statusPanel(page), state);
}

void MainWindow::showMessage(const QString& text, const QString& title) {
    dialogs_.showMessage(text, title);
}

void MainWindow::resetPages() {
    workList_->clearItems();
    for (int page = 0; page < PageCount; ++page) {
        showState(static_cast<Page>(page), PageState::NotImported);
        showCount(statusPanel(static_cast<Page>(page)), QStringLiteral("0"));
    }
    mergeNameBox_->clear();
    splitNameBox_->clear();
}

void MainWindow::resetRenamePage() {
    showState(Page::RenamePage, PageState::NotImported);
    workList_->clearItems();
    showCount(statusPanel(Page::RenamePage), QStringLiteral("0"));
}

void MainWindow::closeMainWindow() {
    close();
}

// From the moment an import starts, its page has nothing imported.
void MainWindow::beginImport(Page page) {
    showState(page, PageState::NotImported);
    if (page == Page::ReplacePage) {
        showCount(statusPanel(page), QStringLiteral("0"));
    }
}

void MainWindow::importFiles(Page page) {
    beginImport(page);
    makeFolder(outputFolder_);  // the dialog opens there
    const int refused = addImportedRows(
        page, dialogs_.chooseFiles(ChooseFilesTitle, TextFilter, shownText(outputFolder_)));
    showNotes({unnamableNote(refused)});
}

int MainWindow::addImportedRows(Page page, const QStringList& files) {
    if (files.isEmpty()) {
        return 0;
    }
    const StatusPanel& panel = statusPanel(page);
    // The replace page counts processed books, not rows.
    const bool countsRows = page != Page::ReplacePage;
    // The count climbs as rows arrive, but is painted no more often than the
    // screen can show it: painting it for each of thousands of rows would
    // take seconds.
    QElapsedTimer sinceCountShown;
    sinceCountShown.start();
    int row = 0;
    int refused = 0;
    for (const QString& file : files) {
        const auto path = chosenPath(file);
        if (!path) {
            ++refused;  // a name the code page cannot hold would open another file
            continue;
        }
        workList_->insertItem(row, numberToText(static_cast<std::int32_t>(row + 1)));
        workList_->setItemPath(row, *path);
        ++row;
        if (countsRows && sinceCountShown.elapsed() >= CountRefreshMilliseconds) {
            showCount(panel, countText(workList_->itemCount()));
            sinceCountShown.restart();
        }
    }
    if (countsRows) {
        showCount(panel, countText(workList_->itemCount()));
    }
    if (row > 0) {
        showState(page, PageState::Imported);
    }
    return refused;
}

void MainWindow::importSingleFile() {
    beginImport(Page::SplitPage);
    makeFolder(outputFolder_);
    if (const auto chosen = dialogs_.chooseFile()) {
        showNotes({unnamableNote(addSingleBook(*chosen) ? 0 : 1)});
    }
}

bool MainWindow::addSingleBook(const QString& file) {
    const auto path = chosenPath(file);
    if (!path) {
        return false;
    }
    workList_->insertItem(0, ByteText("1"));
    workList_->setItemPath(0, *path);
    showState(Page::SplitPage, PageState::Imported);

    // Only as much of the first line as a title can take: a book of one
    // huge line must not come into the name box whole.
    const ByteText firstLine = readTitleLine(*path);
    splitNameBox_->setText(shownText(extractTitle(firstLine, detectTitleStyle(firstLine))));
    return true;
}

void MainWindow::showNotes(const QStringList& notes) {
    QStringList shown = notes;
    shown.removeAll(QString());
    if (!shown.isEmpty()) {
        showMessage(shown.join(QLatin1Char('\n')), QStringLiteral("提示"));
    }
}

void MainWindow::importDropped(const QList<QUrl>& urls) {
    const DroppedFiles dropped = sortDropped(urls);
    const auto page = static_cast<Page>(tabs_->currentIndex());
    QStringList notes;
    if (dropped.ignored > 0) {
        notes << QStringLiteral("%1 个不是txt文档的文件或文件夹未导入").arg(dropped.ignored);
    }
    if (!dropped.books.isEmpty()) {
        beginImport(page);
        if (page == Page::SplitPage) {
            // The split works on one book: the first one dropped.
            notes << unnamableNote(addSingleBook(dropped.books.first()) ? 0 : 1);
            if (dropped.books.size() > 1) {
                notes << QStringLiteral("分割文档只导入第一个txt文档，另有 %1 个未导入")
                             .arg(dropped.books.size() - 1);
            }
        } else {
            notes << unnamableNote(addImportedRows(page, dropped.books));
        }
    }
    showNotes(notes);
}

void MainWindow::moveItemUp() {
    const int selected = workList_->selectedIndex();
    if (selected <= 0) {
        return;
    }
    exchangePaths(selected, selected - 1);
}

void MainWindow::moveItemDown() {
    const int selected = workList_->selectedIndex();
    if (selected == -1 || selected >= workList_->itemCount() - 1) {
        return;
    }
    exchangePaths(selected, selected + 1);
}

// Numbers stay where they stand; the selection follows the moved book.
void MainWindow::exchangePaths(int selected, int neighbour) {
    const ByteText shownPath = workList_->itemText(selected, WorkList::ShownPathColumn);
    const ByteText fullPath = workList_->itemText(selected, WorkList::FullPathColumn);
    workList_->setItemText(selected, WorkList::ShownPathColumn,
                           workList_->itemText(neighbour, WorkList::ShownPathColumn));
    workList_->setItemText(selected, WorkList::FullPathColumn,
                           workList_->itemText(neighbour, WorkList::FullPathColumn));
    workList_->setItemText(neighbour, WorkList::ShownPathColumn, shownPath);
    workList_->setItemText(neighbour, WorkList::FullPathColumn, fullPath);
    workList_->selectIndex(neighbour);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitOuterSizeAndCentre();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    adoptLateFrame();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        adoptLateFrame();
    }
}

// Some window managers frame the window only after it is shown; until the
// frame is known, the outer size and the centring are taken again.
void MainWindow::adoptLateFrame() {
    if (windowHandle() == nullptr || !fittedFrame_.isNull()) {
        return;
    }
    if (windowHandle()->frameMargins() != fittedFrame_) {
        fitOuterSizeAndCentre();
    }
}

void MainWindow::fitOuterSizeAndCentre() {
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    fittedFrame_ = frame;
    const QSize client =
        QSize(OuterWidth - frame.left() - frame.right(), OuterHeight - frame.top() - frame.bottom())
            .expandedTo(SmallestClientSize);
    setFixedSize(client);

    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return;
    }
    const QSize outer = client.grownBy(frame);
    const QRect available = shownOn->availableGeometry();
    move(available.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

}  // namespace juanzhi::ui
