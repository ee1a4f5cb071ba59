#pragma once

#include <QString>
#include <QTabBar>
#include <QWidget>

#include <vector>

namespace juanzhi::ui {

// A page hint is stored with colour marks, "<c=red>注意：可批量操作</c>":
// the text between the marks takes the colour, the marks are not shown.
// Gives the rich text a tooltip shows.
QString hintToRichText(const QString& markup);

// Tabs stacked along the left edge, each caption written top to bottom with
// its characters upright, as Chinese is read in a narrow column.
class VerticalTabBar : public QTabBar {
    Q_OBJECT

  public:
    explicit VerticalTabBar(QWidget* parent);

  protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
};

// The tab control: the tab bar on the left, the selected page to its right.
// Page controls are placed in the tab control's own coordinates; only the
// selected page's controls are visible.
class PageTabs : public QWidget {
    Q_OBJECT

  public:
    static constexpr int TabBarWidth = 26;

    explicit PageTabs(QWidget* parent);

    QWidget* addPage(const QString& caption, const QString& hintMarkup);
    QWidget* page(int index) const;
    int currentIndex() const;
    VerticalTabBar* tabBar() const { return tabBar_; }

    // Places a control of a page at (x, y) from the tab control's top-left corner.
    static void place(QWidget* control, int x, int y, int width, int height);

  signals:
    // Raised after the user has selected another page and its controls show;
    // never while the control is being built.
    void pageChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showPage(int index);
    QRect pageArea() const;

    static constexpr QPoint PageOrigin{TabBarWidth, 1};

    VerticalTabBar* tabBar_;
    std::vector<QWidget*> pages_;
    int shownIndex_ = -1;
};

}  // namespace juanzhi::ui
