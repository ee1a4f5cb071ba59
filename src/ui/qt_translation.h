#pragma once

class QCoreApplication;

namespace juanzhi::ui {

// Loads Qt's own Simplified Chinese texts (dialog buttons, file-dialog
// labels) whatever the user's locale: every text of the program is Chinese,
// and Qt's English beside it would read as unfinished. Returns false when
// the translation is not installed; Qt's English then stays.
bool loadQtChinese(QCoreApplication& application);

}  // namespace juanzhi::ui
