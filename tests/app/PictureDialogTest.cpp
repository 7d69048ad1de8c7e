// SPDX-License-Identifier: MIT
// Tests of the picture dialogs: one builder for 追加 and 参照, a fresh dialog each time with
// folder and size carried over, a size that fits the screen with whole columns, where the
// dialog first opens, no settings file, and a completion list that opens only while typing.
#include "widgets/FileDialogs.h"
#include "app/PictureDialog.h"
#include "widgets/BrowsDlg.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "tests/app/FakeServices.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>
#include <memory>

using namespace kameola;
using namespace kameola::test;

namespace {

QString MakeFile(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return path;
}

// The names the dialog lists in folder as enabled (matching its filter), sorted; waits
// until at least `count` are in, as the model lists the folder in the background.
QStringList Listed(QFileDialog& dialog, const QString& folder, int count)
{
    auto* model = dialog.findChild<QFileSystemModel*>();
    EXPECT_NE(model, nullptr);
    if (!model)
        return {};
    QStringList names;
    [[maybe_unused]] const bool listed = QTest::qWaitFor([&] {
        const QModelIndex root = model->index(folder);
        names.clear();
        for (int i = 0; i < model->rowCount(root); ++i) {
            const QModelIndex index = model->index(i, 0, root);
            if (model->flags(index) & Qt::ItemIsEnabled)
                names << model->fileName(index);
        }
        return names.size() >= count;
    }, 20000);
    names.sort();
    return names;
}

// Every file under the folder, as paths relative to it.
QStringList FilesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

TEST(PictureDialog, EachAddOpensAFreshDialogInTheLastFolderAtTheLastSizeAndSoDoesBrowse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = MakeFile(dir, QStringLiteral("first.jpg"));
    FakeServices services;
    TForm1 form(services);
    TForm2 style(services, &form);
    auto* add = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    auto* browse = style.findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_NE(add, nullptr);
    ASSERT_NE(browse, nullptr);

    const QSize opened = FitToScreen(kPictureDialogSize, form.screen());
    const QSize resized = FitToScreen(QSize(1000, 640), form.screen()) - QSize(10, 10);
    services.onPictureDialog = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.size(), opened);
        // The user types a name, looks at a preview and changes the dialog's size.
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(first);
        emit dialog.currentChanged(first);
        dialog.resize(resized);
    };
    services.pictures = QStringList{first};
    add->click();
    ASSERT_EQ(services.pictureDialogs, 1);

    services.onPictureDialog = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QString());
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"))->pixmap().isNull());
        EXPECT_EQ(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(dialog.size(), resized);
    };
    services.pictures.reset();  // cancelled: nothing added, the size is still kept
    add->click();
    // 参照 in the style dialog opens at the same size.
    browse->click();
    EXPECT_EQ(services.pictureDialogs, 3);
    // Nothing of a closed dialog stays behind.
    EXPECT_TRUE(form.findChildren<QFileDialog*>().isEmpty());
}

TEST(PictureDialog, BothKindsShowTheirOneFilterListPicturesInAnyCaseAndPreview)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.jpg", "B.GIF", "c.Bmp", "d.JPG", "e.txt", "f.png"})
        MakeFile(dir, QString::fromLatin1(name));
    const QString picture = dir.filePath(QStringLiteral("preview.jpg"));
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture, "JPEG"));

    const struct {
        const PictureDialogKind& kind;
        QFileDialog::FileMode mode;
        QString filter;
        QStringList shown;
    } cases[] = {
        {kAddPictures, QFileDialog::ExistingFiles, QStringLiteral("画像ファイル(*.JPG;*.GIF;*.BMP)"),
         {"B.GIF", "a.jpg", "c.Bmp", "d.JPG", "preview.jpg"}},
        {kBackgroundPicture, QFileDialog::AnyFile, QStringLiteral("画像ファイル(*.JPG;*.GIF)"),
         {"B.GIF", "a.jpg", "d.JPG", "preview.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, c.kind, dir.path()));
        EXPECT_EQ(dialog->objectName(), QStringLiteral("OpenPictureDialog"));
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog->fileMode(), c.mode);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(dialog->isSizeGripEnabled());
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        ASSERT_EQ(types->count(), 1);
        EXPECT_EQ(types->itemText(0), c.filter);
        EXPECT_EQ(Listed(*dialog, dir.path(), int(c.shown.size())), c.shown);

        auto* preview = dialog->findChild<QLabel*>(QStringLiteral("PicturePreview"));
        ASSERT_NE(preview, nullptr);
        emit dialog->currentChanged(picture);
        EXPECT_FALSE(preview->pixmap().isNull());
        EXPECT_LE(preview->pixmap().width(), 160);
        emit dialog->currentChanged(dir.filePath(QStringLiteral("e.txt")));
        EXPECT_TRUE(preview->pixmap().isNull());
        // A name typed into the box selects its file, and the preview follows.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("preview.jpg"));
        EXPECT_FALSE(preview->pixmap().isNull());
    }
}

// Run again with a 1920 x 1080 screen at scale 2 (960 x 540 in the windows' units).
TEST(PictureDialog, OpensInsideTheScreenWithEveryColumnWhole)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeFile(dir, QStringLiteral("とても長い名前の写真ファイル_2026年12月8日_夕方の海辺.jpg"));
    MakeFile(dir, QStringLiteral("b.jpg"));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();

    QSize firstSize;
    for (const PictureDialogKind* kind : {&kAddPictures, &kBackgroundPicture}) {
        std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, *kind, dir.path()));
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        ASSERT_EQ(Listed(*dialog, dir.path(), 2).size(), 2);
        QTest::qWait(50);  // the columns are fitted once the list is in

        EXPECT_TRUE(available.contains(dialog->frameGeometry())) << kind->filterText;
        EXPECT_LE(dialog->width(), kPictureDialogSize.width());
        if (!firstSize.isValid())
            firstSize = dialog->size();
        EXPECT_EQ(dialog->size(), firstSize) << kind->filterText;

        auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(details, nullptr);
        const QModelIndex root = details->rootIndex();
        ASSERT_EQ(details->model()->rowCount(root), 2);
        const QFontMetrics metrics(details->font());
        for (int column = 0; column < details->header()->count(); ++column) {
            int widest = details->header()->sectionSizeHint(column);
            for (int row = 0; row < 2; ++row) {
                const QModelIndex index = details->model()->index(row, column, root);
                widest = std::max(widest, metrics.horizontalAdvance(index.data().toString()));
            }
            EXPECT_GE(details->header()->sectionSize(column), widest)
                << kind->filterText << " column " << column;
        }
        dialog->reject();
    }
}

// The folder chooser (参照) is fitted the same way, wide enough that its date column shows
// beside the side bar without scrolling.
TEST(PictureDialog, TheFolderChooserOpensInsideTheScreenWithItsDateColumnShown)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* folder : {"写真", "2026年12月"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromUtf8(folder)));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    TBrowseDialog chooser;
    chooser.SetDirectory(dir.path());
    bool shown = false;
    chooser.Execute([&](QFileDialog& dialog) {
        dialog.show();
        shown = QTest::qWaitForWindowExposed(&dialog);
        auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        EXPECT_TRUE(details != nullptr);
        if (!shown || !details)
            return std::optional<QStringList>();
        EXPECT_EQ(Listed(dialog, dir.path(), 2).size(), 2);
        QTest::qWait(50);
        EXPECT_TRUE(available.contains(dialog.frameGeometry()));
        EXPECT_GT(dialog.width(), 636);
        QHeaderView* header = details->header();
        int columns = 0;
        for (int column = 0; column < header->count(); ++column) {
            if (!header->isSectionHidden(column))
                columns += header->sectionSize(column);
            EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        }
        EXPECT_GE(header->count(), 4);
        EXPECT_LE(columns, details->viewport()->width());
        dialog.reject();
        return std::optional<QStringList>();
    });
    EXPECT_TRUE(shown);
}

TEST(PictureDialog, FirstOpensWhereAFileDialogLastLookedThisRunElsePicturesElseHome)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (LastVisitedFolder().isEmpty()) {  // no dialog was confirmed before in this process
        QDir(pictures).removeRecursively();
        EXPECT_EQ(PictureStartFolder(QString()), QDir::homePath());
        ASSERT_TRUE(QDir().mkpath(pictures));
        EXPECT_EQ(PictureStartFolder(QString()), pictures);
    }
    // A dialog confirmed in a folder; then another one cancelled elsewhere.
    FakeServices services;
    for (const QString& folder : {dir.path(), QDir::rootPath()}) {
        std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, kAddPictures, folder));
        if (folder == dir.path())
            services.pictures = QStringList{dir.filePath(QStringLiteral("x.jpg"))};
        else
            services.pictures.reset();
        services.ExecFileDialog(*dialog);
    }
    EXPECT_EQ(PictureStartFolder(QString()), QDir(dir.path()).absolutePath());
    // A folder that has gone since is passed over.
    EXPECT_EQ(PictureStartFolder(dir.filePath(QStringLiteral("gone"))), QDir(dir.path()).absolutePath());
    EXPECT_EQ(PictureStartFolder(QDir::homePath()), QDir::homePath());
    QDir(pictures).removeRecursively();
}

TEST(PictureDialog, QtsSettingsFileIsNeitherReadNorWrittenAndHistoryStaysInMemory)
{
    // HOME and the configuration folder are this test's own.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_TRUE(QDir().mkpath(config));
    const QByteArray planted = "[FileDialog]\nhistory=file:///planted\nlastVisited=file:///planted\n"
                               "shortcuts=file:///planted\nviewMode=List\n";
    {
        QFile file(config + QStringLiteral("/QtProject.conf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(planted);
    }
    const QStringList homeBefore = FilesUnder(QDir::homePath());
    const QStringList configBefore = FilesUnder(config);

    FakeServices services;
    services.pictures.reset();
    QStringList history;
    {
        std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, kAddPictures, dir.path()));
        EXPECT_FALSE(dialog->history().contains(QStringLiteral("/planted")));
        EXPECT_FALSE(dialog->sidebarUrls().contains(QUrl(QStringLiteral("file:///planted"))));
        EXPECT_EQ(dialog->viewMode(), QFileDialog::Detail);
        dialog->setDirectory(dir.filePath(QStringLiteral("sub")));
        dialog->setSidebarUrls({QUrl::fromLocalFile(dir.path())});
        history = dialog->history();
        services.ExecFileDialog(*dialog);
    }
    ASSERT_TRUE(history.contains(dir.filePath(QStringLiteral("sub"))));
    // The next dialog, also the folder chooser's, gets what the last one left.
    std::unique_ptr<QFileDialog> next(CreatePictureDialog(nullptr, kBackgroundPicture));
    EXPECT_EQ(next->history(), history);
    EXPECT_EQ(next->sidebarUrls(), QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    next.reset();

    QFile file(config + QStringLiteral("/QtProject.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), planted);
    EXPECT_EQ(FilesUnder(config), configBefore);
    EXPECT_EQ(FilesUnder(QDir::homePath()), homeBefore);
}

// Qt's completer also asks for its list by itself once a folder has been read
// (QCompleter::complete() with nobody typing); the list opens only for keys typed into the box.
TEST(PictureDialog, TheCompletionListOpensOnlyWhileTheNameIsTypedAndClosesWithTheDialog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeFile(dir, QStringLiteral("alpha.jpg"));
    MakeFile(dir, QStringLiteral("alpine.jpg"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString sub = QDir(dir.filePath(QStringLiteral("sub"))).absolutePath();
    // Closing by a typed name is tried on a real X server (tests/window); here Escape and
    // the close box.
    for (const PictureDialogKind* kind : {&kAddPictures, &kBackgroundPicture}) {
        for (bool escape : {true, false}) {
            SCOPED_TRACE(std::string(kind->filterText) + (escape ? " Escape" : " close box"));
            std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, *kind, dir.path()));
            dialog->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QCompleter* completer = name->completer();
            ASSERT_NE(completer, nullptr);

            // Asked for with text in the box but no key typed: no list.
            name->setText(dir.filePath(QStringLiteral("al")));
            for (int tries = 0; tries < 50; ++tries) {
                completer->setCompletionPrefix(name->text());
                completer->complete();
                QTest::qWait(10);
            }
            EXPECT_FALSE(completer->popup()->isVisible());
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

            // Typed: the list opens once the folder is read (each key asks again).
            for (int tries = 0; tries < 250 && !completer->popup()->isVisible(); ++tries) {
                QTest::keyClick(name, Qt::Key_Backspace);
                QTest::keyClick(name, Qt::Key_L);
                QTest::qWait(20);
            }
            ASSERT_TRUE(completer->popup()->isVisible());

            // A typed folder taken with Return: the folder opens, the box empties and the
            // list stays closed whatever asks for it afterwards.
            completer->popup()->hide();
            name->setText(sub);
            QTest::keyClick(name, Qt::Key_Return);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(dialog->directory().absolutePath(), sub);
            QTest::qWait(50);
            completer->setCompletionPrefix(sub + QLatin1Char('/'));
            completer->complete();
            EXPECT_FALSE(completer->popup()->isVisible());

            // Opened again by typing, then the dialog closes: the list closes with it.
            for (int tries = 0; tries < 250 && !completer->popup()->isVisible(); ++tries) {
                name->setText(dir.filePath(QStringLiteral("alp")));
                QTest::keyClick(name, Qt::Key_H);
                QTest::qWait(20);
            }
            ASSERT_TRUE(completer->popup()->isVisible());
            if (escape)
                dialog->reject();
            else
                dialog->close();
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_FALSE(completer->popup()->isVisible());
        }
    }
}
