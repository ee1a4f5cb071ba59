#include "ui/qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace juanzhi::ui {

QStringList nameFiltersFrom(const QString& filter) {
    QString trimmed = filter;
    while (!trimmed.isEmpty() && trimmed.back().isSpace()) {
        trimmed.chop(1);
    }
    const QStringList parts = trimmed.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype at = 0; at + 1 < parts.size(); at += 2) {
        QString patterns = parts[at + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[at], patterns);
    }
    return filters;
}

namespace {

// The pattern list stays out of the entry's caption: the user sees "文本文档".
// The dialog may not rename or delete files: it only picks them.
void setUpOpenDialog(QFileDialog& dialog, QFileDialog::FileMode mode, const QString& filter) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mode);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::ReadOnly);
    const QStringList filters = nameFiltersFrom(filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(0));
    dialog.setWindowModality(Qt::ApplicationModal);
}

// A box sized to a short text alone is narrower than its title bar needs
// for the title beside the window manager's buttons, which then cuts the
// title to dots. A spacer across the box's grid holds it wider.
void keepTitleReadable(QMessageBox& box, const QString& title) {
    constexpr int TitleBarAllowance = 200;  // icon and buttons of the title bar
    constexpr int SmallestWidth = 280;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    const int width =
        std::max(SmallestWidth, box.fontMetrics().horizontalAdvance(title) + TitleBarAllowance);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QStringList QtUserDialogs::chooseFiles(const QString& title, const QString& filter,
                                       const QString& folder) {
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    setUpOpenDialog(dialog, QFileDialog::ExistingFiles, filter);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

std::optional<QString> QtUserDialogs::chooseFile() {
    QFileDialog dialog(QApplication::activeWindow());
    setUpOpenDialog(dialog, QFileDialog::ExistingFile, TextFilter);
    if (!lastChosenFile_.isEmpty()) {
        dialog.setDirectory(QFileInfo(lastChosenFile_).absolutePath());
        dialog.selectFile(lastChosenFile_);
    } else if (!firstFolder_.isEmpty()) {
        dialog.setDirectory(firstFolder_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    lastChosenFile_ = dialog.selectedFiles().first();
    return lastChosenFile_;
}

void QtUserDialogs::showMessage(const QString& text, const QString& title) {
    // No owner: the box is modal for the whole program.
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    keepTitleReadable(box, title);
    box.exec();
}

}  // namespace juanzhi::ui
