#include "ui/page_tabs.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionTab>

#include "ui/look.h"

namespace juanzhi::ui {

QString hintToRichText(const QString& markup) {
    static const QRegularExpression mark(QStringLiteral("<c=([A-Za-z]+|#[0-9A-Fa-f]{6})>(.*?)</c>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QString rich = QStringLiteral("<qt>");
    qsizetype plainFrom = 0;
    auto matches = mark.globalMatch(markup);
    while (matches.hasNext()) {
        const auto match = matches.next();
        rich += markup.mid(plainFrom, match.capturedStart() - plainFrom).toHtmlEscaped();
        rich += QStringLiteral("<span style=\"color:%1\">%2</span>")
                    .arg(match.captured(1), match.captured(2).toHtmlEscaped());
        plainFrom = match.capturedEnd();
    }
    rich += markup.mid(plainFrom).toHtmlEscaped();
    rich += QStringLiteral("</qt>");
    return rich;
}

namespace {

constexpr int CharacterCell = 13;
constexpr int TabPadding = 10;

}  // namespace

VerticalTabBar::VerticalTabBar(QWidget* parent) : QTabBar(parent) {
    setShape(QTabBar::RoundedWest);
    setFont(songFont(12, false));
    setFocusPolicy(Qt::NoFocus);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
}

QSize VerticalTabBar::tabSizeHint(int index) const {
    return QSize(PageTabs::TabBarWidth,
                 static_cast<int>(tabText(index).size()) * CharacterCell + TabPadding);
}

void VerticalTabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    for (int index = 0; index < count(); ++index) {
        const bool selected = index == currentIndex();
        QRect tab = tabRect(index).adjusted(selected ? 0 : 2, 0, 0, -1);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.setBrush(selected ? QColor(Qt::white) : fromColorRef(ButtonFaceColour));
        painter.drawRect(tab.adjusted(0, 0, selected ? 0 : -1, 0));
        if (selected) {
            // Open towards the page it belongs to.
            painter.setPen(Qt::white);
            painter.drawLine(tab.topRight(), tab.bottomRight());
        }

        painter.setPen(Qt::black);
        const QString caption = tabText(index);
        const int top =
            tab.top() + (tab.height() - static_cast<int>(caption.size()) * CharacterCell) / 2;
        for (qsizetype at = 0; at < caption.size(); ++at) {
            const QRect cell(tab.left(), top + static_cast<int>(at) * CharacterCell, tab.width(),
                             CharacterCell);
            painter.drawText(cell, Qt::AlignCenter, caption.at(at));
        }
    }
}

PageTabs::PageTabs(QWidget* parent) : QWidget(parent), tabBar_(new VerticalTabBar(this)) {
    connect(tabBar_, &QTabBar::currentChanged, this, &PageTabs::showPage);
}

QWidget* PageTabs::addPage(const QString& caption, const QString& hintMarkup) {
    auto* page = new QWidget(this);
    page->setAutoFillBackground(true);
    QPalette white = page->palette();
    white.setColor(QPalette::Window, Qt::white);
    page->setPalette(white);
    page->setGeometry(pageArea());
    page->hide();
    pages_.push_back(page);

    const int index = tabBar_->addTab(caption);
    tabBar_->setTabToolTip(index, hintToRichText(hintMarkup));
    if (index == tabBar_->currentIndex()) {
        showPage(index);
    }
    return page;
}

QWidget* PageTabs::page(int index) const {
    return pages_.at(static_cast<std::size_t>(index));
}

int PageTabs::currentIndex() const {
    return tabBar_->currentIndex();
}

// Inside the frame drawn around the page area.
QRect PageTabs::pageArea() const {
    return QRect(PageOrigin, QSize(width() - PageOrigin.x() - 1, height() - 2 * PageOrigin.y()));
}

void PageTabs::place(QWidget* control, int x, int y, int width, int height) {
    control->setGeometry(QRect(QPoint(x, y) - PageOrigin, QSize(width, height)));
}

void PageTabs::showPage(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) {
        return;
    }
    for (int other = 0; other < static_cast<int>(pages_.size()); ++other) {
        pages_[static_cast<std::size_t>(other)]->setVisible(other == index);
    }
    const int previous = shownIndex_;
    shownIndex_ = index;
    if (previous >= 0 && previous != index) {
        emit pageChanged();
    }
}

void PageTabs::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(TabBarWidth - 1, 0, width() - TabBarWidth, height() - 1));
}

void PageTabs::resizeEvent(QResizeEvent*) {
    tabBar_->setGeometry(0, 0, TabBarWidth, height());
    for (QWidget* page : pages_) {
        page->setGeometry(pageArea());
    }
}

}  // namespace juanzhi::ui
