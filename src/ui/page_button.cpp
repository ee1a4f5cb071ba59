#include "ui/page_button.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/look.h"

namespace juanzhi::ui {

PageButton::PageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

QColor PageButton::faceColour() const {
    const bool lit = pointerOver_ && isEnabled() && !isDown();
    return fromColorRef(lit ? ButtonLightFaceColour : ButtonFaceColour);
}

void PageButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    pointerOver_ = true;
    update();
}

void PageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    pointerOver_ = false;
    update();
}

void PageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const bool sunken = isDown() || isChecked();

    QPalette shades = palette();
    shades.setColor(QPalette::Button, faceColour());
    shades.setColor(QPalette::Light, Qt::white);
    shades.setColor(QPalette::Midlight, faceColour().lighter(110));
    shades.setColor(QPalette::Mid, faceColour().darker(130));
    shades.setColor(QPalette::Dark, faceColour().darker(160));
    shades.setColor(QPalette::Shadow, QColor(0x40, 0x40, 0x40));
    const QBrush face(faceColour());
    qDrawWinButton(&painter, area, shades, sunken, &face);

    const QRect captionArea =
        area.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    painter.setPen(isEnabled() ? Qt::black : QColor(0x80, 0x80, 0x80));
    painter.setFont(font());
    painter.drawText(captionArea, Qt::AlignCenter | Qt::TextSingleLine, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = area.adjusted(4, 4, -4, -4);
        focus.backgroundColor = faceColour();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace juanzhi::ui
