#include "ui/output_folder.h"

#include <QDir>
#include <QTemporaryFile>

#include "ui/screen_text.h"

namespace juanzhi::ui {

bool folderIsWritable(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".juanzhi-XXXXXX")));
    return probe.open();
}

ByteText chooseOutputFolder(const ByteText& programFolder, const QString& documents) {
    if (folderIsWritable(shownText(programFolder)) || documents.isEmpty()) {
        return programFolder;
    }
    // A documents folder the code page cannot name would open another folder.
    return chosenPath(QDir(documents).filePath(OwnFolderName)).value_or(programFolder);
}

bool makeFolder(const ByteText& folder) {
    return QDir().mkpath(shownText(folder));
}

}  // namespace juanzhi::ui
