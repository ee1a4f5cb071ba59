#pragma once

#include <QList>
#include <QMargins>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <array>

#include "core/byte_text.h"
#include "core/text_file.h"
#include "ui/status_panel.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace juanzhi::ui {

class PageButton;
class PageTabs;
class UserDialogs;
class WorkList;

// The five pages in the order of their tabs.
enum class Page : int { RenamePage = 0, MergePage, SplitPage, ReplacePage, InsertPage };
inline constexpr int PageCount = 5;

// The one window: the page tabs on the left, the shared work list on the
// right, the close button and a note below.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int OuterWidth = 568;  // frame and title bar included
    static constexpr int OuterHeight = 412;

    // New files (merged books, split pieces) go to `outputFolder`, created
    // when first needed; the import dialogs start there.
    explicit MainWindow(UserDialogs& dialogs, ByteText outputFolder = programDirectory(),
                        QWidget* parent = nullptr);

    WorkList& workList() const { return *workList_; }
    const StatusPanel& statusPanel(Page page) const;

    void showState(Page page, PageState state);
    void showMessage(const QString& text, const QString& title);

    // After a switch to another page: every page starts again, empty.
    void resetPages();
    // The rename page's reset button.
    void resetRenamePage();
    void closeMainWindow();

    void importFiles(Page page);
    void importSingleFile();
    // Files dropped on the work list: the books among them are imported as
    // the shown page's import button imports them; the rest are counted.
    void importDropped(const QList<QUrl>& urls);
    void moveItemUp();
    void moveItemDown();

    // The page actions, one per page's action button.
    void renameListedBooks();
    void mergeListedBooks();
    void splitFirstBook();
    void replaceInListedBooks();
    void insertIntoListedBooks();

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildRenamePage(QWidget* page);
    void buildMergePage(QWidget* page);
    void buildSplitPage(QWidget* page);
    void buildReplacePage(QWidget* page);
    void buildInsertPage(QWidget* page);
    void fitOuterSizeAndCentre();
    void adoptLateFrame();
    void exchangePaths(int selected, int neighbour);
    void beginImport(Page page);
    // Each returns how many files it left out for a name the code page
    // cannot hold, or whether it took the book.
    int addImportedRows(Page page, const QStringList& files);
    bool addSingleBook(const QString& file);
    // One message for whatever an import has to say; empty notes are dropped.
    void showNotes(const QStringList& notes);
    StatusPanel& panelOf(Page page);

    UserDialogs& dialogs_;
    const ByteText outputFolder_;
    PageTabs* tabs_ = nullptr;
    WorkList* workList_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::array<StatusPanel, PageCount> panels_{};

    QLineEdit* mergeNameBox_ = nullptr;
    QLineEdit* splitNameBox_ = nullptr;
    QPlainTextEdit* searchBox_ = nullptr;
    QPlainTextEdit* replacementBox_ = nullptr;
    QPlainTextEdit* contentBox_ = nullptr;
    QRadioButton* suffixButton_ = nullptr;
    QRadioButton* prefixButton_ = nullptr;
    QCheckBox* secondLineBox_ = nullptr;
    QCheckBox* endOfFileBox_ = nullptr;

    PageButton* startButton_ = nullptr;
    PageButton* mergeButton_ = nullptr;
    PageButton* splitButton_ = nullptr;
    PageButton* replaceButton_ = nullptr;
    PageButton* insertButton_ = nullptr;

    QMargins fittedFrame_;
};

}  // namespace juanzhi::ui
