#include "ui/start_up.h"

#include <QApplication>
#include <QStandardPaths>

#include "core/platform.h"
#include "core/text_file.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/output_folder.h"
#include "ui/qt_translation.h"
#include "ui/qt_user_dialogs.h"
#include "ui/screen_text.h"

namespace juanzhi::ui {

void setUpApplication() {
    loadQtChinese(*QApplication::instance());
    useSongFontEverywhere();
    QApplication::setWindowIcon(programIcon());
    // Lets a desktop find the menu entry and icon of the running window.
    QApplication::setDesktopFileName(QStringLiteral("juanzhi"));
}

int startUp(int argc, char* argv[]) {
    QApplication application(argc, argv);
    setUpApplication();
    const ByteText programFolder = programDirectory();
    platform::setWorkingDirectory(programFolder);

    // An installed program's folder cannot be written: new books then go
    // to a folder of the user's own.
    const ByteText outputFolder = chooseOutputFolder(
        programFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QtUserDialogs dialogs(outputFolder == programFolder ? QString() : shownText(outputFolder));
    MainWindow window(dialogs, outputFolder);
    enableThemedLook(1);
    window.show();
    return QApplication::exec();
}

}  // namespace juanzhi::ui
