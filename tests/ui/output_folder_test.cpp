// Where new books go: beside a program that can write there, otherwise into
// the user's own folder.
#include <QDir>
#include <QTest>

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
};

QTEST_MAIN(OutputFolderTest)
#include "output_folder_test.moc"
