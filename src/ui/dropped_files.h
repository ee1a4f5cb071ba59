#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace juanzhi::ui {

// What was dropped on the work list, sorted the way an import takes it:
// the books (existing .txt files, in the order dropped) and how many other
// things (folders, other files, links to nowhere, remote addresses) came.
struct DroppedFiles {
    QStringList books;
    int ignored = 0;
};

DroppedFiles sortDropped(const QList<QUrl>& urls);

}  // namespace juanzhi::ui
