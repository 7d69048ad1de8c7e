// Tests of the main window's picture dialog: a fresh dialog on each 追加 with the folder
// and size carried over, where it first opens, and its completion list closing with it.
#include "app/PictureDialog.h"

#include "app/Unit1.h"
#include "tests/app/FakeServices.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

using namespace kameola;
using kameola::testing::FakeServices;

namespace {

QString MakeFile(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return path;
}

} // namespace

TEST(PictureDialog, EachAddOpensAFreshDialogInTheLastFolderAtTheLastSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = MakeFile(dir, QStringLiteral("first.jpg"));
    FakeServices services;
    TForm1 form(services);
    auto* add = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_NE(add, nullptr);

    QFileDialog* firstDialog = nullptr;
    services.onPictureDialog = [&](QFileDialog& dialog) {
        firstDialog = &dialog;
        EXPECT_GE(dialog.width(), kPictureDialogSize.width());
        EXPECT_GE(dialog.height(), kPictureDialogSize.height());
        // The user types a name, looks at a preview and makes the dialog larger.
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(first);
        emit dialog.currentChanged(first);
        dialog.resize(1000, 640);
    };
    services.pictures = QStringList{first};
    add->click();
    ASSERT_NE(firstDialog, nullptr);

    services.onPictureDialog = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QString());
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"))->pixmap().isNull());
        EXPECT_EQ(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(dialog.size(), QSize(1000, 640));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    };
    services.pictures.reset();  // cancelled: nothing added, the size is still kept
    add->click();
    EXPECT_EQ(services.pictureDialogs, 2);
    // Nothing of a closed dialog stays behind.
    EXPECT_TRUE(form.findChildren<QFileDialog*>().isEmpty());
}

TEST(PictureDialog, FirstOpensWhereQtLastLookedElsePicturesElseHome)
{
    // HOME and the settings folders are this test's own.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
    qt.remove(QStringLiteral("FileDialog/lastVisited"));
    qt.sync();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QDir(pictures).removeRecursively();

    EXPECT_EQ(PictureStartFolder(QString()), QDir::homePath());
    ASSERT_TRUE(QDir().mkpath(pictures));
    EXPECT_EQ(PictureStartFolder(QString()), pictures);

    qt.setValue(QStringLiteral("FileDialog/lastVisited"), QUrl::fromLocalFile(dir.path()).toString());
    qt.sync();
    EXPECT_EQ(PictureStartFolder(QString()), dir.path());
    // A folder that has gone since is passed over.
    EXPECT_EQ(PictureStartFolder(dir.filePath(QStringLiteral("gone"))), dir.path());
    EXPECT_EQ(PictureStartFolder(QDir::homePath()), QDir::homePath());
    QDir(pictures).removeRecursively();
}

TEST(PictureDialog, ClosingTheDialogClosesItsCompletionList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeFile(dir, QStringLiteral("alpha.jpg"));
    MakeFile(dir, QStringLiteral("alpine.jpg"));
    // Closing by a typed name is tried on a real X server (tests/window); here Escape and
    // the close box.
    for (bool escape : {true, false}) {
        std::unique_ptr<QFileDialog> dialog(CreatePictureDialog(nullptr, dir.path()));
        dialog->show();
        auto* completer = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->completer();
        ASSERT_NE(completer, nullptr);
        // The folder is listed in the background: ask again until the list has names.
        completer->setCompletionPrefix(dir.filePath(QStringLiteral("al")));
        for (int tries = 0; tries < 250 && !completer->popup()->isVisible(); ++tries) {
            completer->complete();
            QTest::qWait(20);
        }
        ASSERT_TRUE(completer->popup()->isVisible());
        if (escape)
            dialog->reject();
        else
            dialog->close();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(completer->popup()->isVisible()) << escape;
    }
}
