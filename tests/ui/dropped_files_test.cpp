// What counts as a book among the things dropped on the work list.
#include <QDir>
#include <QFile>
#include <QTest>

#include <filesystem>

#include "support/temp_folder.h"
#include "ui/dropped_files.h"

using juanzhi::ui::sortDropped;

class DroppedFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void onlyTextFilesAreBooks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isBook");
        QTest::newRow("a book") << "书.txt" << true;
        QTest::newRow("capital suffix") << "BOOK.TXT" << true;
        QTest::newRow("a picture") << "封面.jpg" << false;
        QTest::newRow("no suffix") << "readme" << false;
        QTest::newRow("a folder named like a book") << "文件夹.txt" << false;
        QTest::newRow("a link to a book") << "链接.txt" << true;
        QTest::newRow("a link to a folder") << "链接到文件夹.txt" << false;
        QTest::newRow("a link to nowhere") << "断链.txt" << false;
        QTest::newRow("a file that is gone") << "不在了.txt" << false;
    }
    void onlyTextFilesAreBooks() {
        QFETCH(QString, name);
        QFETCH(bool, isBook);
        const juanzhi::test::TempFolder folder;
        const QDir here(QString::fromStdString(folder.path().string()));
        folder.write("书.txt", "x");
        folder.write("BOOK.TXT", "x");
        folder.write("封面.jpg", "x");
        folder.write("readme", "x");
        QVERIFY(here.mkdir(QStringLiteral("文件夹.txt")));
        QVERIFY(QFile::link(here.filePath(QStringLiteral("书.txt")),
                            here.filePath(QStringLiteral("链接.txt"))));
        QVERIFY(QFile::link(here.filePath(QStringLiteral("文件夹.txt")),
                            here.filePath(QStringLiteral("链接到文件夹.txt"))));
        QVERIFY(QFile::link(here.filePath(QStringLiteral("无.txt")),
                            here.filePath(QStringLiteral("断链.txt"))));

        const QString path = here.filePath(name);
        const auto dropped = sortDropped({QUrl::fromLocalFile(path)});
        QCOMPARE(dropped.books, isBook ? QStringList{path} : QStringList{});
        QCOMPARE(dropped.ignored, isBook ? 0 : 1);
    }

    void booksKeepTheirOrderAndRemoteAddressesAreIgnored() {
        const juanzhi::test::TempFolder folder;
        const auto a = QString::fromStdString(folder.write("甲.txt", "a").string());
        const auto b = QString::fromStdString(folder.write("乙.txt", "b").string());
        const auto dropped =
            sortDropped({QUrl::fromLocalFile(b), QUrl(QStringLiteral("https://example.org/c.txt")),
                         QUrl::fromLocalFile(a)});
        QCOMPARE(dropped.books, (QStringList{b, a}));
        QCOMPARE(dropped.ignored, 1);
    }
};

QTEST_MAIN(DroppedFilesTest)
#include "dropped_files_test.moc"
