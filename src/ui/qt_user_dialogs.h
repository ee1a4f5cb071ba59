#pragma once

#include <QString>
#include <QStringList>

#include <utility>

#include "ui/user_dialogs.h"

namespace juanzhi::ui {

// "文本文档|*.txt" as Qt name filters, one per description|pattern pair:
// "文本文档 (*.txt)". Blanks at the end of the filter are ignored.
QStringList nameFiltersFrom(const QString& filter);

// The program's dialogs: Qt's file dialogs and message box.
class QtUserDialogs : public UserDialogs {
  public:
    // The single-file dialog opens in `firstFolder` until a file was chosen;
    // with none, in the platform's choice.
    explicit QtUserDialogs(QString firstFolder = {}) : firstFolder_(std::move(firstFolder)) {}

    QStringList chooseFiles(const QString& title, const QString& filter,
                            const QString& folder) override;
    std::optional<QString> chooseFile() override;
    void showMessage(const QString& text, const QString& title) override;

  private:
    QString firstFolder_;
    // The split page's dialog proposes the file chosen last.
    QString lastChosenFile_;
};

}  // namespace juanzhi::ui
