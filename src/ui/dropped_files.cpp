#include "ui/dropped_files.h"

#include <QFileInfo>

namespace juanzhi::ui {

namespace {

// As the file dialog's "*.txt" offers them; a link to a book counts as the
// book, a folder never does, however it is named.
bool isBook(const QUrl& url) {
    if (!url.isLocalFile()) {
        return false;
    }
    const QFileInfo file(url.toLocalFile());
    return file.isFile() && file.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
}

}  // namespace

DroppedFiles sortDropped(const QList<QUrl>& urls) {
    DroppedFiles dropped;
    for (const QUrl& url : urls) {
        if (isBook(url)) {
            dropped.books << url.toLocalFile();
        } else {
            ++dropped.ignored;
        }
    }
    return dropped;
}

}  // namespace juanzhi::ui
