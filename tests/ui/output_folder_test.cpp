// Where new books go: beside a program that can write there, otherwise into
// the user's own folder.
#include <QDir>
#include <QStandardPaths>
#include <QTest>

#include "core/text_file.h"

#include "support/temp_folder.h"
#include "ui/output_folder.h"
#include "ui/screen_text.h"

using juanzhi::ui::chooseOutputFolder;
using juanzhi::ui::shownText;

namespace {

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

class OutputFolderTest : public QObject {
    Q_OBJECT

  private slots:
    void aWritableProgramFolderKeepsTheBooks() {
        const juanzhi::test::TempFolder program;
        const auto folder = *juanzhi::ui::chosenPath(qtPath(program.path()));
        QCOMPARE(chooseOutputFolder(folder, QStringLiteral("/home/reader/文档")), folder);
        QCOMPARE(juanzhi::test::namesIn(program.path()).size(), 0u);  // the probe is gone
    }

    void anUnwritableProgramFolderSendsThemToTheUsersOwn_data() {
        QTest::addColumn<QString>("programFolder");
        // Not even the superuser may create a file in these.
        QTest::newRow("a system folder") << "/proc";
        QTest::newRow("a folder that is not there") << "/nonexistent/卷帙坊";
    }
    void anUnwritableProgramFolderSendsThemToTheUsersOwn() {
        QFETCH(QString, programFolder);
        const juanzhi::test::TempFolder documents;
        const QString own = QDir(qtPath(documents.path())).filePath(QStringLiteral("卷帙坊"));
        const auto chosen =
            chooseOutputFolder(*juanzhi::ui::chosenPath(programFolder), qtPath(documents.path()));
        QCOMPARE(shownText(chosen), own);
        QVERIFY(!QDir(own).exists());  // made when first needed, not before

        QVERIFY(juanzhi::ui::makeFolder(chosen));
        QVERIFY(QDir(own).exists());
        QVERIFY(juanzhi::ui::makeFolder(chosen));  // again: already there
    }

    void theWindowNamesTheFolderShortlyWhereItCan_data() {
        QTest::addColumn<QString>("folder");  // empty: the program's own
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shortName");
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString own = QDir(documents).filePath(QStringLiteral("卷帙坊"));
        const QString shown = QStandardPaths::displayName(QStandardPaths::DocumentsLocation);
        QTest::newRow("the program's folder") << ""
                                              << "软件所在目录"
                                              << "软件所在目录";
        QTest::newRow("the user's own") << own << own << shown + QStringLiteral("/卷帙坊");
        QTest::newRow("elsewhere") << "/srv/书库"
                                   << "/srv/书库"
                                   << "/srv/书库";
        QTest::newRow("a sibling named alike")
            << documents + QStringLiteral("2/卷帙坊") << documents + QStringLiteral("2/卷帙坊")
            << documents + QStringLiteral("2/卷帙坊");
    }
    void theWindowNamesTheFolderShortlyWhereItCan() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, shortName);
        const auto path =
            folder.isEmpty() ? juanzhi::programDirectory() : *juanzhi::ui::chosenPath(folder);
        QCOMPARE(juanzhi::ui::outputFolderName(path), name);
        QCOMPARE(juanzhi::ui::shortOutputFolderName(path), shortName);
    }
};

QTEST_MAIN(OutputFolderTest)
#include "output_folder_test.moc"
