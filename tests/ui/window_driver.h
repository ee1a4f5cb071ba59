#pragma once

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
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

// Drags `data` from outside the program onto the middle of `target` and
// drops it there, as the window system delivers a drag from a file manager.
// Returns whether the drop was taken.
inline bool dropOn(QWidget* target, const QMimeData& data) {
    const QPoint middle = target->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDragMoveEvent move(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();  // the import runs once the drop has ended
    return drop.isAccepted();
}

inline bool dropFiles(QWidget* target, const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
    }
    QMimeData data;
    data.setUrls(urls);
    return dropOn(target, data);
}

}  // namespace juanzhi::test
