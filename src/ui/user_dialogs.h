#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace juanzhi::ui {

// The books' file type, as description|pattern pairs.
inline const QString TextFilter = QStringLiteral("文本文档|*.txt");

// The questions the window puts to the user: which files, which file, and
// the one-button message. Behind an interface so tests can script the answers.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // Several existing files of one folder; the empty list when cancelled.
    // `filter` is description|pattern pairs, "文本文档|*.txt".
    virtual QStringList chooseFiles(const QString& title, const QString& filter,
                                    const QString& folder) = 0;

    // One existing file, proposing the one chosen last; nothing when cancelled.
    virtual std::optional<QString> chooseFile() = 0;

    // A modal box with the text, the title, one OK button and no icon.
    // Returns when the user has closed it.
    virtual void showMessage(const QString& text, const QString& title) = 0;
};

}  // namespace juanzhi::ui
