#pragma once

#include <QString>

#include "core/byte_text.h"

namespace juanzhi::ui {

// The name of the user's own folder for new books, inside their documents.
inline const QString OwnFolderName = QStringLiteral("卷帙坊");

// Where merged books and split pieces go: the program's own folder while it
// can be written (a portable copy, the build tree); otherwise, as for an
// installed program, `documents`/卷帙坊, which need not exist yet.
ByteText chooseOutputFolder(const ByteText& programFolder, const QString& documents);

// Whether a new file can be made in `folder`: tried, not inferred from
// permission bits, which neither read-only mounts nor ACLs show reliably.
bool folderIsWritable(const QString& folder);

// How the window names the folder new books go to: "软件所在目录" for the
// program's own folder, otherwise its whole path.
QString outputFolderName(const ByteText& folder);

// The same, shorter for a folder inside the user's documents, which the
// documents folder's own name begins: "文档/卷帙坊".
QString shortOutputFolderName(const ByteText& folder);

// Creates `folder` and its parents where missing; true when it exists then.
bool makeFolder(const ByteText& folder);

}  // namespace juanzhi::ui
