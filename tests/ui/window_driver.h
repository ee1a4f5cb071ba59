#pragma once

#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace juanzhi::test {

// A control of `window` by its form name; the test stops when it is missing.
template <typename Control>
Control* findControl(const QWidget& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromUtf8(name));
    if (control == nullptr) {
        qFatal("no control %s", name);
    }
    return control;
}

inline void clickButton(const QWidget& window, const char* name) {
    QTest::mouseClick(findControl<QPushButton>(window, name), Qt::LeftButton);
}

}  // namespace juanzhi::test
