#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/user_dialogs.h"

namespace juanzhi::test {

// A user whose answers to the dialogs are written in advance. An unscripted
// question is answered as if cancelled.
class FakeDialogs : public ui::UserDialogs {
  public:
    struct FilesQuestion {
        QString title;
        QString filter;
        QString folder;
    };
    struct Message {
        QString text;
        QString title;
    };

    std::deque<QStringList> filesAnswers;
    std::deque<QString> fileAnswers;  // an empty answer cancels
    // Runs while a dialog is open, to look at the window at that moment.
    std::function<void()> whileOpen;

    std::vector<FilesQuestion> filesQuestions;
    int fileQuestions = 0;
    std::vector<Message> messages;

    QStringList chooseFiles(const QString& title, const QString& filter,
                            const QString& folder) override {
        filesQuestions.push_back({title, filter, folder});
        if (whileOpen) {
            whileOpen();
        }
        if (filesAnswers.empty()) {
            return {};
        }
        QStringList answer = filesAnswers.front();
        filesAnswers.pop_front();
        return answer;
    }

    std::optional<QString> chooseFile() override {
        ++fileQuestions;
        if (whileOpen) {
            whileOpen();
        }
        if (fileAnswers.empty()) {
            return std::nullopt;
        }
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer.isEmpty()) {
            return std::nullopt;
        }
        return answer;
    }

    void showMessage(const QString& text, const QString& title) override {
        if (whileOpen) {
            whileOpen();
        }
        messages.push_back({text, title});
    }
};

}  // namespace juanzhi::test
