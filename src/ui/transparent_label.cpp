#include "ui/transparent_label.h"

#include <QPalette>

namespace juanzhi::ui {

TransparentLabel::TransparentLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(false);
    setFrameShape(QFrame::NoFrame);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    showColour(Qt::black);
}

void TransparentLabel::showText(const QString& text) {
    setText(text);
    repaint();
}

void TransparentLabel::showColour(const QColor& colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
    repaint();
}

QColor TransparentLabel::textColour() const {
    return palette().color(QPalette::WindowText);
}

}  // namespace juanzhi::ui
