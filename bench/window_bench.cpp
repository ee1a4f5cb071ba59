// Times the window with a large import: the import of 10,000 books into the
// work list, then a switch to another page (which empties the list), each
// until the window has painted. Prints one line per run, in milliseconds.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>

#include "ui/fake_dialogs.h"
#include "ui/main_window.h"
#include "ui/page_tabs.h"
#include "ui/window_driver.h"

namespace {

using juanzhi::test::FakeDialogs;
using juanzhi::test::findControl;

constexpr int Books = 10000;
constexpr int Runs = 5;

QStringList makeBooks(const QString& folder) {
    QStringList books;
    for (int number = 1; number <= Books; ++number) {
        const QString path = QStringLiteral("%1/下载的书%2.txt").arg(folder).arg(number);
        std::ofstream(path.toStdString()) << "title\r\n";
        books.append(path);
    }
    return books;
}

// Milliseconds from `action` until the window has painted what it did.
template <typename Action>
double timed(QWidget& window, Action action) {
    QElapsedTimer timer;
    timer.start();
    action();
    window.repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QStringList books = makeBooks(folder.path());

    std::printf("run  import_ms  switch_ms\n");
    for (int run = 1; run <= Runs; ++run) {
        FakeDialogs dialogs;
        juanzhi::ui::MainWindow window(dialogs, juanzhi::ByteText(folder.path().toStdString()));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            return 1;
        }
        dialogs.filesAnswers.push_back(books);
        const double import =
            timed(window, [&] { juanzhi::test::clickButton(window, "超级按钮1"); });
        QTabBar* bar = findControl<juanzhi::ui::PageTabs>(window, "高级选择夹1")->tabBar();
        const double pageSwitch = timed(
            window, [&] { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center()); });
        std::printf("%3d  %9.1f  %9.1f\n", run, import, pageSwitch);
    }
    return 0;
}
