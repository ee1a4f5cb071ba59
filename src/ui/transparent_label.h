#pragma once

#include <QColor>
#include <QLabel>

namespace juanzhi::ui {

// A one-line label without background whose changes of text and colour are
// painted at once, so counts visibly advance while a long handler still runs.
class TransparentLabel : public QLabel {
    Q_OBJECT

  public:
    TransparentLabel(const QString& text, QWidget* parent);

    void showText(const QString& text);
    void showColour(const QColor& colour);
    QColor textColour() const;
};

}  // namespace juanzhi::ui
