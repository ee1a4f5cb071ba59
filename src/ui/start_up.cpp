#include "ui/start_up.h"

#include <QApplication>

#include "core/platform.h"
#include "core/text_file.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/qt_user_dialogs.h"

namespace juanzhi::ui {

int startUp(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(programIcon());
    platform::setWorkingDirectory(programDirectory());

    QtUserDialogs dialogs;
    MainWindow window(dialogs);
    enableThemedLook(1);
    window.show();
    return QApplication::exec();
}

}  // namespace juanzhi::ui
