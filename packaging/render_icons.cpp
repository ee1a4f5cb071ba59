// Draws the program's icon at each size of the desktop's icon theme, so the
// installed icon is the one the window shows: FOLDER/NxN/apps/juanzhi.png.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

#include "ui/look.h"

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: juanzhi-render-icons FOLDER\n");
        return 2;
    }
    const QIcon icon = juanzhi::ui::programIcon();
    for (const int size : juanzhi::ui::IconSizes) {
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QPixmap picture = icon.pixmap(QSize(size, size));
        if (!QDir().mkpath(folder) || picture.size() != QSize(size, size) ||
            !picture.save(folder + QStringLiteral("/juanzhi.png"))) {
            std::fprintf(stderr, "juanzhi-render-icons: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
