// The program's real dialogs and message box, answered by a timer that acts
// as the user once the modal window is open.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "support/temp_folder.h"
#include "ui/fake_dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_user_dialogs.h"

using juanzhi::ui::QtUserDialogs;

namespace {

// Runs `user` on the modal window once it is open.
template <typename Modal>
void whenOpen(std::function<void(Modal*)> user) {
    QTimer::singleShot(0, [user] {
        auto* modal = qobject_cast<Modal*>(QApplication::activeModalWidget());
        if (modal == nullptr) {
            qFatal("the expected modal window is not open");
        }
        user(modal);
    });
}

QString pathOf(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

class QtUserDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void filterPairsBecomeNameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::newRow("one pair") << "文本文档|*.txt" << QStringList{"文本文档 (*.txt)"};
        QTest::newRow("blanks at the end")
            << "文本文档|*.txt   " << QStringList{"文本文档 (*.txt)"};
        QTest::newRow("two pairs")
            << "文本文档|*.txt|所有文件|*.*" << QStringList{"文本文档 (*.txt)", "所有文件 (*.*)"};
        QTest::newRow("several patterns")
            << "文本|*.txt;*.text" << QStringList{"文本 (*.txt *.text)"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void filterPairsBecomeNameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QCOMPARE(juanzhi::ui::nameFiltersFrom(filter), nameFilters);
    }

    void chooseFilesOffersTextFilesOfTheFolderAndReturnsFullPaths() {
        const juanzhi::test::TempFolder folder;
        const auto a = folder.write("甲.txt", "a");
        const auto b = folder.write("乙.txt", "b");
        QtUserDialogs dialogs;
        QString title, openedIn;
        QStringList nameFilters;
        bool severalFiles = false, openOnly = false, patternsHidden = false;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            openedIn = dialog->directory().absolutePath();
            nameFilters = dialog->nameFilters();
            severalFiles = dialog->fileMode() == QFileDialog::ExistingFiles;
            openOnly = dialog->acceptMode() == QFileDialog::AcceptOpen;
            patternsHidden = dialog->testOption(QFileDialog::HideNameFilterDetails);
            dialog->selectFile(QStringLiteral("\"甲.txt\" \"乙.txt\""));
            static_cast<QDialog*>(dialog)->accept();  // the OK button
        });
        const QStringList chosen =
            dialogs.chooseFiles(QStringLiteral("选择多个文件"), QStringLiteral("文本文档|*.txt"),
                                pathOf(folder.path()));
        QCOMPARE(chosen, (QStringList{pathOf(a), pathOf(b)}));
        QCOMPARE(title, QStringLiteral("选择多个文件"));
        QCOMPARE(openedIn, pathOf(folder.path()));
        QCOMPARE(nameFilters, QStringList{"文本文档 (*.txt)"});
        QVERIFY(severalFiles);
        QVERIFY(openOnly);
        QVERIFY(patternsHidden);
    }

    void cancelledChoiceGivesNothing() {
        QtUserDialogs dialogs;
        whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(dialogs
                    .chooseFiles(QStringLiteral("选择多个文件"), QStringLiteral("文本文档|*.txt"),
                                 QDir::tempPath())
                    .isEmpty());
        whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(!dialogs.chooseFile().has_value());
    }

    void singleFileDialogProposesTheFileChosenLast() {
        const juanzhi::test::TempFolder folder;
        const QString book = pathOf(folder.write("书.txt", "x"));
        QtUserDialogs dialogs;
        bool oneFile = false;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            oneFile = dialog->fileMode() == QFileDialog::ExistingFile &&
                      dialog->nameFilters() == QStringList{"文本文档 (*.txt)"};
            dialog->setDirectory(pathOf(folder.path()));
            dialog->selectFile(QStringLiteral("书.txt"));
            static_cast<QDialog*>(dialog)->accept();  // the OK button
        });
        QCOMPARE(dialogs.chooseFile(), std::optional<QString>(book));
        QVERIFY(oneFile);

        QStringList proposed;
        QString openedIn;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            proposed = dialog->selectedFiles();
            openedIn = dialog->directory().absolutePath();
            dialog->reject();
        });
        QVERIFY(!dialogs.chooseFile().has_value());
        QCOMPARE(proposed, QStringList{book});
        QCOMPARE(openedIn, pathOf(folder.path()));
    }

    void messageBoxHasOneButtonNoIconAndBlocksTheWindow() {
        juanzhi::test::FakeDialogs unused;
        juanzhi::ui::MainWindow window(unused);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* closeButton = window.findChild<QPushButton*>(QStringLiteral("按钮1"));

        QtUserDialogs dialogs;
        QMessageBox* shown = nullptr;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QList<QAbstractButton*> buttons;
        QWidget* owner = &window;
        Qt::WindowModality modality = Qt::NonModal;
        bool windowStayed = false;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            shown = box;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            owner = box->parentWidget();
            modality = box->windowModality();
            if (const QString folder = qEnvironmentVariable("JUANZHI_SCREENSHOTS");
                !folder.isEmpty()) {
                box->grab().save(folder + QStringLiteral("/message.png"));
            }
            // A click on the window's close button, as the window system delivers it.
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                              closeButton->mapTo(&window, closeButton->rect().center()));
            windowStayed = window.isVisible();
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });
        dialogs.showMessage(QStringLiteral("请先导入文件！"), QStringLiteral("警告"));

        QVERIFY(shown != nullptr);
        QCOMPARE(title, QStringLiteral("警告"));
        QCOMPARE(text, QStringLiteral("请先导入文件！"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(owner, nullptr);
        QCOMPARE(modality, Qt::ApplicationModal);
        QVERIFY(windowStayed);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(QtUserDialogsTest)
#include "qt_user_dialogs_test.moc"
