#include "ui/output_folder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "core/text_file.h"
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

QString outputFolderName(const ByteText& folder) {
    if (folder == programDirectory()) {
        return QStringLiteral("软件所在目录");
    }
    return QDir::toNativeSeparators(shownText(folder));
}

QString shortOutputFolderName(const ByteText& folder) {
    const QString name = outputFolderName(folder);
    const QString documents = QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (documents.isEmpty() || !name.startsWith(documents + QDir::separator())) {
        return name;
    }
    return QStandardPaths::displayName(QStandardPaths::DocumentsLocation) +
           name.mid(documents.size());
}

bool makeFolder(const ByteText& folder) {
    return QDir().mkpath(shownText(folder));
}

}  // namespace juanzhi::ui
