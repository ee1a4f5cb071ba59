// The program's real dialogs and message box, answered by a timer that acts
// as the user once the modal window is open.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

#include "support/temp_folder.h"
#include "ui/fake_dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"
#include "ui/qt_user_dialogs.h"
#include "ui/start_up.h"

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

// The visible captions of a dialog's labels and buttons that hold Latin
// words but no Chinese: Qt's English left untranslated.
QStringList englishCaptions(const QWidget& dialog) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QRegularExpression chinese(QStringLiteral("\\p{Han}"));
    QStringList english;
    auto check = [&](const QString& caption) {
        if (caption.contains(word) && !caption.contains(chinese)) {
            english << caption;
        }
    };
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            check(label->text());
        }
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->isVisible()) {
            check(button->text());
        }
    }
    return english;
}

}  // namespace

class QtUserDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    // Qt's texts and the fonts as the program sets them up.
    void initTestCase() {
        QVERIFY(juanzhi::ui::loadQtChinese(*QApplication::instance()));
        juanzhi::ui::setUpApplication();
    }

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
        QStringList english{"not looked at"};
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            openedIn = dialog->directory().absolutePath();
            nameFilters = dialog->nameFilters();
            severalFiles = dialog->fileMode() == QFileDialog::ExistingFiles;
            openOnly = dialog->acceptMode() == QFileDialog::AcceptOpen;
            patternsHidden = dialog->testOption(QFileDialog::HideNameFilterDetails);
            english = englishCaptions(*dialog);
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
        QCOMPARE(english, QStringList{});
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

    void singleFileDialogFirstOpensInTheFolderItWasGiven() {
        const juanzhi::test::TempFolder folder;
        QtUserDialogs dialogs(pathOf(folder.path()));
        QString openedIn;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            openedIn = dialog->directory().absolutePath();
            dialog->reject();
        });
        QVERIFY(!dialogs.chooseFile().has_value());
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
        int width = 0;
        bool textWhole = false;
        QString okCaption;
        QWidget* owner = &window;
        Qt::WindowModality modality = Qt::NonModal;
        bool windowStayed = false;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            shown = box;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            width = box->width();
            okCaption =
                box->buttons().value(0) != nullptr ? box->buttons().first()->text() : QString();
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            textWhole = label != nullptr && label->width() >= label->sizeHint().width();
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
        QCOMPARE(okCaption, QStringLiteral("确定"));
        // Wide enough for the title beside the title bar's buttons, and the text.
        QVERIFY2(width >= 280, qPrintable(QString::number(width)));
        QVERIFY(textWhole);
        QCOMPARE(owner, nullptr);
        QCOMPARE(modality, Qt::ApplicationModal);
        QVERIFY(windowStayed);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(QtUserDialogsTest)
#include "qt_user_dialogs_test.moc"
