// Start-up: the program works in its own folder and shows its window.
#include <QApplication>
#include <QWidget>

#include "core/platform.h"
#include "core/text_file.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    juanzhi::platform::setWorkingDirectory(juanzhi::programDirectory());

    // The pages arrive with the main window; until then an empty frame.
    QWidget window;
    window.setWindowTitle(QStringLiteral("卷帙坊-测试版"));
    window.setFixedSize(568, 412);
    window.show();
    return QApplication::exec();
}
