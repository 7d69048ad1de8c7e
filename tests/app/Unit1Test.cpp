// SPDX-License-Identifier: MIT
// Tests of the main window: layout, keys, the file list commands, drops and the output fields.
#include "common/Errors.h"
#include "widgets/BrowsDlg.h"
#include "widgets/Gauges.h"
#include "widgets/UpDown.h"
#include "app/Unit1.h"
#include "app/ApplicationTitle.h"
#include "app/Unit2.h"
#include "tests/app/WindowFixture.h"
#include "tests/app/WindowLayouts.h"

#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;

namespace {

class MainWindow : public WindowFixture {
protected:
    // Lists files named P, Q, R, S and selects the given ones.
    void ListPQRS(const QStringList& selected)
    {
        for (const char* name : {"P", "Q", "R", "S"})
            form.AddEntry(MakeFile(QString::fromLatin1(name)));
        for (int i = 0; i < 4; ++i) {
            QTreeWidgetItem* row = List()->topLevelItem(i);
            row->setSelected(selected.contains(QFileInfo(row->text(0)).fileName()));
        }
    }

    QStringList Names(const QStringList& paths)
    {
        QStringList names;
        for (const QString& path : paths)
            names << QFileInfo(path).fileName();
        return names;
    }
};

} // namespace

TEST_F(MainWindow, HasItsCaptionFixedSizeAndControlsInPlace)
{
    EXPECT_EQ(form.windowTitle(), "KAMEOLA");
    EXPECT_EQ(form.size(), QSize(513, 464));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());

    ExpectControlsInPlace(form, kMainWindowPlaces);

    const std::pair<const char*, const char*> captions[] = {
        {"Button1", "追加"}, {"Button2", "削除"}, {"Button3", "作成"}, {"Button4", "参照"},
        {"Button5", "上へ"}, {"Button6", "下へ"}, {"Button7", "HTMLの設定"}, {"Button8", "新規作成"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(Control<QPushButton>(name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_EQ(Control<QLabel>("Label1")->text(), "KAMEOLAS Version 1.03");
    EXPECT_TRUE(Control<QPushButton>("Button1")->isDefault());

    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "");
    EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "8");
    EXPECT_EQ(Control<QLineEdit>("Edit3")->text(), "画像一覧");
    EXPECT_EQ(Control<QLineEdit>("Edit4")->text(), "index.htm");
    EXPECT_EQ(Control<QLineEdit>("Edit5")->text(), "100");
    EXPECT_EQ(form.findChild<TGauge*>("Gauge1")->PercentDone(), 0);
    EXPECT_EQ(form.BrowseDialog()->Caption(), "出力先ディレクトリの設定");
}

TEST_F(MainWindow, FileListAndOptionsAreSetUpAsAReport)
{
    QTreeWidget* list = List();
    EXPECT_EQ(list->headerItem()->text(0), "ファイル名");
    EXPECT_EQ(list->headerItem()->text(1), "サイズ");
    EXPECT_EQ(list->columnWidth(0), 400);
    EXPECT_EQ(list->columnWidth(1), 70);
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));

    auto* options = Control<QListWidget>("CheckListBox1");
    ASSERT_EQ(options->count(), 4);
    EXPECT_EQ(options->item(0)->text(), "小さい画像ファイルを別途作成する(JPGとBMPの場合)");
    EXPECT_EQ(options->item(3)->text(), "ファイルのコピーはしない(HTMLだけ出力する)");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(options->item(i)->checkState(), Qt::Unchecked);
        EXPECT_TRUE(options->item(i)->flags() & Qt::ItemIsUserCheckable);
    }

    options->item(1)->setCheckState(Qt::Checked);
    options->item(3)->setCheckState(Qt::Checked);
    const GalleryJob job = form.GatherJob();
    EXPECT_FALSE(job.MakeSmallImages);
    EXPECT_TRUE(job.ShowFileNames);
    EXPECT_FALSE(job.NumberEntries);
    EXPECT_TRUE(job.LinkInPlace);
    EXPECT_EQ(job.Columns, 8);
    EXPECT_EQ(job.ThumbWidth, 100);
    EXPECT_EQ(job.Title, "画像一覧");
    EXPECT_EQ(job.PageName, "index.htm");
}

TEST_F(MainWindow, OpensWithTheListFocusedAndTabsInItsOrder)
{
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "ListView1");

    QStringList order;
    for (int i = 0; i < 15; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(' '), "ListView1 CheckListBox1 Button1 Button2 Button3 Edit1 Button4 Edit2 "
                               "Edit3 Edit4 Button5 Button6 Edit5 Button7 Button8");
}

TEST_F(MainWindow, EnterClicksAddExceptOnAPushButtonAndEscapeDoesNothing)
{
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    QTest::keyClick(Control("Edit3"), Qt::Key_Return);
    EXPECT_EQ(services.pictureDialogs, 1);
    QTest::keyClick(List(), Qt::Key_Enter);
    EXPECT_EQ(services.pictureDialogs, 2);

    services.answers = {MessageAnswer::No};
    QTest::keyClick(Control("Button2"), Qt::Key_Return);  // 削除 itself, not 追加
    EXPECT_EQ(services.pictureDialogs, 2);
    ASSERT_EQ(services.boxes.size(), 1u);

    QTest::keyClick(Control("Edit1"), Qt::Key_Escape);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.pictureDialogs, 2);
}

TEST_F(MainWindow, AddEntryListsThePathWithItsTrueSize)
{
    const QString five = MakeFile("five.jpg", "12345");
    const QString empty = MakeFile("空.gif", "");
    form.AddEntry(five);
    form.AddEntry(empty);
    form.AddEntry(five);  // the same file again gives a second row
    EXPECT_EQ(Rows(), (QStringList{five, empty, five}));
    EXPECT_EQ(Rows(1), (QStringList{"5", "0", "5"}));
    EXPECT_EQ(List()->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);

    // 3 GiB without using the disk: the size text is not cut to 32 bits.
    const QString big = dir.filePath("big.bmp");
    const int fd = ::open(QFile::encodeName(big).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 3LL << 30), 0);
    ::close(fd);
    form.AddEntry(big);
    EXPECT_EQ(Rows(1).last(), "3221225472");
}

TEST_F(MainWindow, ListColumnsShowWholeSizesAndTheNameOfADeepPath)
{
    const QString deep = dir.filePath(QString("folder/").repeated(30) + "末尾の名前.jpg");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(deep).path()));
    QFile file(deep);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(3LL << 30));  // sparse: no disk used
    file.close();
    const auto columns = [this] { return std::pair(List()->columnWidth(0), List()->columnWidth(1)); };

    form.AddEntry(MakeFile("small.jpg"));
    EXPECT_EQ(columns(), std::pair(400, 70)) << "a short size keeps the widths";
    form.AddEntry(deep);
    const QFontMetrics metrics(List()->font());
    const int sizeWidth = metrics.horizontalAdvance(QStringLiteral("3221225472"));
    EXPECT_GT(List()->columnWidth(1), sizeWidth + 4) << "the size column grows for ten digits";
    EXPECT_EQ(List()->columnWidth(0) + List()->columnWidth(1), 470) << "taken from the name column";
    EXPECT_EQ(List()->textElideMode(), Qt::ElideMiddle);  // the file name stays in sight
    EXPECT_EQ(List()->topLevelItem(1)->toolTip(0), deep);

    List()->topLevelItem(1)->setSelected(true);
    Click("Button2");
    EXPECT_EQ(columns(), std::pair(400, 70)) << "back once the long size is gone";
}

TEST_F(MainWindow, AddEntryRefusesWhatCannotBeReadAsAFile)
{
    const QString missing = dir.filePath("missing.jpg");
    const QString folder = dir.path();
    const QString locked = MakeFile("locked.jpg");
    ::chmod(QFile::encodeName(locked).constData(), 0);
    const bool lockHolds = ::access(QFile::encodeName(locked).constData(), R_OK) != 0;  // not as root

    for (const QString& path : {missing, folder}) {
        try {
            form.AddEntry(path);
            ADD_FAILURE() << path.toStdString() << " was added";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), EFOpenError(path.toStdString()).Message());
        }
    }
    if (lockHolds) {
        EXPECT_THROW(form.AddEntry(locked), EFOpenError);
    }
    EXPECT_EQ(List()->topLevelItemCount(), 0);
}

TEST_F(MainWindow, AddThroughThePictureDialogStopsAtTheFirstFailure)
{
    const QString a = MakeFile("a.jpg");
    const QString missing = dir.filePath("b.jpg");
    const QString c = MakeFile("c.gif");

    Click("Button1");  // cancelled
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(services.boxes.empty());

    services.pictures = QStringList{a, missing, c};
    Click("Button1");
    EXPECT_EQ(Rows(), QStringList{a});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EFOpenError(missing.toStdString())));
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
}

TEST_F(MainWindow, DroppedFilesAreAddedInOrderOfAnyKind)
{
    const QString a = MakeFile("a.txt");
    const QString b = MakeFile("名前 with spaces.JPG");
    Drop({a, b});
    EXPECT_EQ(Rows(), (QStringList{a, b}));
    EXPECT_TRUE(services.boxes.empty());

    // Edits hand drops on to the window instead of taking the text.
    EXPECT_FALSE(Control("Edit1")->acceptDrops());
    EXPECT_FALSE(Control("Edit3")->acceptDrops());
}

TEST_F(MainWindow, DroppingAFolderShowsTheOpenErrorAndAddsNothing)
{
    Drop({dir.path()});
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EFOpenError(dir.path().toStdString())));
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
}

TEST_F(MainWindow, DroppingThreeFilesStopsAtTheOneThatCannotBeOpened)
{
    const QString first = MakeFile("1.jpg");
    const QString second = dir.filePath("2.jpg");
    const QString third = MakeFile("3.jpg");
    Drop({first, second, third});
    EXPECT_EQ(Rows(), QStringList{first});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EFOpenError(second.toStdString())));
}

TEST_F(MainWindow, LongDroppedPathsAreNotCut)
{
    QString deep = dir.path();
    while (deep.toUtf8().size() < 300)
        deep += QStringLiteral("/ディレクトリ");
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString file = deep + QStringLiteral("/写真.jpg");
    QFile(file).open(QIODevice::WriteOnly);
    Drop({file});
    EXPECT_EQ(Rows(), QStringList{file});
}

TEST_F(MainWindow, DeleteAsksEvenWithoutSelectionAndRemovesTheSelectedRows)
{
    ListPQRS({});
    Click("Button2");
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "選択された画像をリストから削除してよろしいですか？");
    EXPECT_EQ(services.boxes[0].caption, "確認");
    EXPECT_EQ(services.boxes[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(services.boxes[0].error);
    EXPECT_EQ(Rows().size(), 4);

    List()->topLevelItem(1)->setSelected(true);
    List()->topLevelItem(3)->setSelected(true);
    services.answers = {MessageAnswer::No};
    Click("Button2");
    EXPECT_EQ(Rows().size(), 4);

    Click("Button2");  // Yes
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "R"}));
}

TEST_F(MainWindow, MoveDownExchangesTheFirstSelectedRowWithTheNextOne)
{
    ListPQRS({"Q", "R"});
    Click("Button6");  // 下へ
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "R", "Q", "S"}));
    EXPECT_EQ(Names(SelectedRows()), (QStringList{"R", "Q"}));
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(MainWindow, MoveUpExchangesTheFirstSelectedRowWithTheOneBefore)
{
    ListPQRS({"R", "S"});
    Click("Button5");  // 上へ
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "R", "Q", "S"}));
    EXPECT_EQ(Names(SelectedRows()), (QStringList{"R", "S"}));
}

TEST_F(MainWindow, MovesAtTheEndsOrWithoutSelectionChangeNothing)
{
    ListPQRS({});
    Click("Button5");
    Click("Button6");
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "Q", "R", "S"}));

    List()->topLevelItem(0)->setSelected(true);
    Click("Button5");  // 上へ on the first row
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "Q", "R", "S"}));

    List()->clearSelection();
    List()->topLevelItem(3)->setSelected(true);
    Click("Button6");  // 下へ on the last row
    EXPECT_EQ(Names(Rows()), (QStringList{"P", "Q", "R", "S"}));
    EXPECT_EQ(Names(SelectedRows()), QStringList{"S"});
}

TEST_F(MainWindow, ClearAsksAndKeepsEverySettingButTheList)
{
    ListPQRS({"Q"});
    Control<QLineEdit>("Edit3")->setText("旅行");
    Control<QLineEdit>("Edit1")->setText("/out/");

    services.answers = {MessageAnswer::No};
    Click("Button8");
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "リストをクリアしてよろしいですか？");
    EXPECT_EQ(services.boxes[0].caption, "確認");
    EXPECT_EQ(Rows().size(), 4);

    Click("Button8");
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(Control<QLineEdit>("Edit3")->text(), "旅行");
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "/out/");
}

TEST_F(MainWindow, SpinFieldsTakeTheirPositionFromTheTextWithoutRewritingIt)
{
    auto* columns = Control<QLineEdit>("Edit2");
    auto* width = Control<QLineEdit>("Edit5");
    auto* upDown1 = form.findChild<TUpDown*>("UpDown1");
    auto* upDown2 = form.findChild<TUpDown*>("UpDown2");

    const std::pair<const char*, int> widths[] = {{"40000", 1}, {"65544", 8}, {"250", 250},
                                                  {"1,000", 1}, {"32767", 32767}};
    for (const auto& [text, position] : widths) {
        width->setText(QString::fromLatin1(text));
        EXPECT_EQ(upDown2->Position(), position) << text;
        EXPECT_EQ(width->text(), text);
    }

    const std::pair<const char*, int> counts[] = {{"0", 1}, {"", 1}, {"150", 100}, {"-3", 1}, {"12", 12}};
    for (const auto& [text, position] : counts) {
        columns->setText(QString::fromLatin1(text));
        EXPECT_EQ(upDown1->Position(), position) << text;
        EXPECT_EQ(columns->text(), text);
    }

    // Typed key by key, the text ends as typed and the position follows it.
    width->clear();
    QTest::keyClicks(width, "$1F");
    EXPECT_EQ(width->text(), "$1F");
    EXPECT_EQ(upDown2->Position(), 31);
    EXPECT_EQ(form.GatherJob().ThumbWidth, 31);
    EXPECT_EQ(form.GatherJob().Columns, 12);
}

TEST_F(MainWindow, SpinButtonsStepAndWritePlainDigits)
{
    auto* columns = Control<QLineEdit>("Edit2");
    auto* width = Control<QLineEdit>("Edit5");
    auto* upDown2 = form.findChild<TUpDown*>("UpDown2");

    QTest::keyClick(columns, Qt::Key_Up);
    EXPECT_EQ(columns->text(), "9");
    QTest::keyClick(columns, Qt::Key_Down);
    QTest::keyClick(columns, Qt::Key_Down);
    EXPECT_EQ(columns->text(), "7");

    width->setText("999");
    QTest::keyClick(width, Qt::Key_Up);
    EXPECT_EQ(width->text(), "1000");  // no digit grouping
    EXPECT_EQ(upDown2->Position(), 1000);

    // The arrow buttons step too, and stop at the ends without wrapping.
    const QList<QToolButton*> arrows = upDown2->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    QToolButton* down = arrows[0]->arrowType() == Qt::DownArrow ? arrows[0] : arrows[1];
    width->setText("1");
    down->click();
    EXPECT_EQ(width->text(), "1");
    EXPECT_EQ(upDown2->Position(), 1);
    width->setText("32767");
    QTest::keyClick(width, Qt::Key_Up);
    EXPECT_EQ(upDown2->Position(), 32767);
}

TEST_F(MainWindow, BrowseSetsTheOutputFolderAndEndsItWithASlash)
{
    auto* output = Control<QLineEdit>("Edit1");
    QString chooserCaption;
    services.browse = [&](QFileDialog& dialog) {
        chooserCaption = dialog.windowTitle();
        return std::optional<QStringList>(QStringList{"/srv/web"});
    };
    Click("Button4");
    EXPECT_EQ(chooserCaption, "出力先ディレクトリの設定");
    EXPECT_EQ(output->text(), "/srv/web/");

    services.browse = [](QFileDialog&) { return std::optional<QStringList>(QStringList{"/"}); };
    Click("Button4");
    EXPECT_EQ(output->text(), "/");

    services.browse = [](QFileDialog&) { return std::optional<QStringList>(); };
    const std::pair<const char*, const char*> cancelled[] = {
        {"", "/"}, {"/out", "/out/"}, {"/out/", "/out/"}, {"/写真/表", "/写真/表/"}, {"/ソ", "/ソ/"}};
    for (const auto& [before, after] : cancelled) {
        output->setText(QString::fromUtf8(before));
        Click("Button4");
        EXPECT_EQ(output->text(), QString::fromUtf8(after)) << before;
    }
}

TEST_F(MainWindow, StyleButtonShowsTheStyleDialogModally)
{
    TForm2 styleDialog(services, &form);
    form.SetStyleDialog(&styleDialog);
    Click("Button7");
    ASSERT_EQ(services.modals.size(), 1u);
    EXPECT_EQ(services.modals[0], &styleDialog);
}

// An add that takes longer than the busy delay (none here) shows the busy cursor, lets the
// window handle its events and drops the clicks, keys and drops made meanwhile; a close
// stops it. The columns are fitted once, at the end.
TEST_F(MainWindow, ALongAddIsBusyAndDropsTheInputMadeMeanwhile)
{
    form.show();
    services.busyDelay = std::chrono::milliseconds(0);
    QStringList paths;
    for (int i = 0; i < 200; ++i)
        paths << MakeFile(QStringLiteral("%1.jpg").arg(i));
    const QString big = dir.filePath("big.jpg");
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(3LL << 30));  // sparse
    file.close();
    paths << big;

    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(paths.first())});
    bool handled = false;
    services.onBusy = [&] {
        const QPoint centre = Control("Button8")->rect().center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(Control("Button8"), new QMouseEvent(type, centre, Control("Button8")->mapToGlobal(centre),
                                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(Control("Edit3"), new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        QCoreApplication::postEvent(&form, new QDragEnterEvent(QPoint(100, 100), Qt::CopyAction, &dropped,
                                                               Qt::LeftButton, Qt::NoModifier));
        QTimer::singleShot(0, [&] { handled = true; });
    };
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(path.toStdString());
    form.AddDroppedFiles(files);
    QCoreApplication::processEvents();

    EXPECT_EQ(Rows(), paths);
    EXPECT_TRUE(handled) << "events were handled during the add";
    EXPECT_EQ(services.busy, 1);
    EXPECT_EQ(services.restored, 1);
    EXPECT_TRUE(services.boxes.empty()) << "新規作成 was clicked";
    EXPECT_EQ(services.pictureDialogs, 0) << "Return reached the window";
    EXPECT_GT(List()->columnWidth(1), 70) << "the columns are fitted to the last size";

    // A close during an add stops it at once and then closes the window.
    services.onBusy = [&] { QTimer::singleShot(0, [&] { form.close(); }); };
    form.AddDroppedFiles(files);
    EXPECT_EQ(Rows().size(), paths.size() + 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(services.busy, services.restored);
}
