#pragma once

#include <QPushButton>

namespace juanzhi::ui {

// The pages' own buttons: drawn by themselves in a fixed face colour, the
// lighter face while the pointer rests on them. Never a default button, so
// Enter clicks none of them.
class PageButton : public QPushButton {
    Q_OBJECT

  public:
    PageButton(const QString& caption, QWidget* parent);

    QColor faceColour() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool pointerOver_ = false;
};

}  // namespace juanzhi::ui
