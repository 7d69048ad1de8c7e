// SPDX-License-Identifier: MIT
// Tests of the folder chooser: options, opening folder, confirm, cancel and modality.
#include "widgets/BrowsDlg.h"
#include "tests/ModalHelper.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kameola;
using kameola::test::WhenModal;

namespace {

const QString kCaption = QStringLiteral("出力先ディレクトリの設定");

std::optional<QStringList> Chosen(const QString& folder)
{
    return QStringList{folder};
}

} // namespace

TEST(BrowsDlgTest, OptionsDefaultAndFlagsWord)
{
    TBrowseDialog chooser;
    EXPECT_EQ(chooser.Options(), TBrowseOptions{TBrowseOption::biReturnOnlyFSDirs});
    EXPECT_EQ(BrowseFlags(chooser.Options()), 0x0001u);
    EXPECT_EQ(BrowseFlags({}), 0u);
    EXPECT_EQ(BrowseFlags({TBrowseOption::biBrowseForComputer, TBrowseOption::biBrowseForPrinter,
                           TBrowseOption::biDontGoBelowDomain, TBrowseOption::biReturnFSAncestors,
                           TBrowseOption::biReturnOnlyFSDirs, TBrowseOption::biStatusText}),
              0x300Fu);
    TBrowseOptions options{TBrowseOption::biStatusText, TBrowseOption::biReturnFSAncestors};
    options.Exclude(TBrowseOption::biStatusText);
    EXPECT_EQ(BrowseFlags(options), 0x0008u);
}

TEST(BrowsDlgTest, InitialDirectoryDropsOneTrailingSeparatorButKeepsTheRoot)
{
    EXPECT_EQ(TBrowseDialog::InitialDirectory(QStringLiteral("/out/")), QStringLiteral("/out"));
    EXPECT_EQ(TBrowseDialog::InitialDirectory(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(TBrowseDialog::InitialDirectory(QStringLiteral("")), QStringLiteral(""));
    EXPECT_EQ(TBrowseDialog::InitialDirectory(QStringLiteral("/out//")), QStringLiteral("/out/"));
    EXPECT_EQ(TBrowseDialog::InitialDirectory(QStringLiteral("/写真/表/")), QStringLiteral("/写真/表"));
}

TEST(BrowsDlgTest, ConfirmSetsDirectoryAndNameAndCancelKeepsThem)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString out = tmp.filePath(QStringLiteral("写真"));
    ASSERT_TRUE(QDir().mkpath(out + QStringLiteral("/sub")));

    TBrowseDialog chooser;
    chooser.SetCaption(kCaption);
    chooser.SetDirectory(out + QLatin1Char('/'));
    QString openedOn;
    ASSERT_TRUE(chooser.Execute([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), kCaption);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_NE(dialog.windowModality(), Qt::NonModal);
        openedOn = dialog.directory().absolutePath();
        return Chosen(out + QStringLiteral("/sub/"));
    }));
    EXPECT_EQ(openedOn, out);
    EXPECT_EQ(chooser.Directory(), out + QStringLiteral("/sub"));
    EXPECT_EQ(chooser.DisplayName(), QStringLiteral("sub"));

    // The next use opens on the folder chosen; cancelling keeps both values.
    EXPECT_FALSE(chooser.Execute([&](QFileDialog& dialog) {
        openedOn = dialog.directory().absolutePath();
        return std::optional<QStringList>();
    }));
    EXPECT_EQ(openedOn, out + QStringLiteral("/sub"));
    EXPECT_EQ(chooser.Directory(), out + QStringLiteral("/sub"));
    EXPECT_EQ(chooser.DisplayName(), QStringLiteral("sub"));
}

TEST(BrowsDlgTest, RootAndTheFileSystemRoot)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    TBrowseDialog chooser;
    chooser.SetRoot(tmp.path());
    QString openedOn;
    const auto chooseRoot = [&](QFileDialog& dialog) {
        openedOn = dialog.directory().absolutePath();
        return Chosen(QStringLiteral("/"));
    };
    // Without a Directory the tree starts at Root.
    ASSERT_TRUE(chooser.Execute(chooseRoot));
    EXPECT_EQ(openedOn, QDir(tmp.path()).absolutePath());
    // "/" is chosen and reported as itself.
    EXPECT_EQ(chooser.Directory(), QStringLiteral("/"));
    EXPECT_EQ(chooser.DisplayName(), QStringLiteral("/"));
    // "/" stays "/" when opening again; a Root that is no folder is ignored.
    chooser.SetRoot(tmp.filePath(QStringLiteral("missing")));
    ASSERT_TRUE(chooser.Execute(chooseRoot));
    EXPECT_EQ(openedOn, QStringLiteral("/"));
}

TEST(BrowsDlgTest, RootIsTheWholeSideBarOnlyWhileTheChooserIsOpen)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QDir(tmp.path()).mkpath(QStringLiteral("root"));
    const QList<QUrl> userSidebar = {QUrl::fromLocalFile(QDir::rootPath()),
                                     QUrl::fromLocalFile(tmp.path())};
    TBrowseDialog chooser;
    // The user's side bar, left by an earlier dialog this run.
    EXPECT_FALSE(chooser.Execute([&](QFileDialog& dialog) {
        dialog.setSidebarUrls(userSidebar);
        dialog.reject();
        return std::optional<QStringList>();
    }));
    chooser.SetRoot(tmp.filePath(QStringLiteral("root")));
    QList<QUrl> shown;
    const auto cancel = [&](QFileDialog& dialog) {
        shown = dialog.sidebarUrls();
        dialog.reject();
        return std::optional<QStringList>();
    };
    EXPECT_FALSE(chooser.Execute(cancel));
    EXPECT_EQ(shown, QList<QUrl>{QUrl::fromLocalFile(tmp.filePath(QStringLiteral("root")))});
    chooser.SetRoot(QString());
    EXPECT_FALSE(chooser.Execute(cancel));
    EXPECT_EQ(shown, userSidebar);
}

TEST(BrowsDlgTest, RealDialogIsModalClosesOnEscapeAndConfirms)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QWidget owner;
    owner.show();
    TBrowseDialog chooser(&owner);
    chooser.SetCaption(kCaption);
    chooser.SetDirectory(QStringLiteral("/keep"));

    bool checked = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), kCaption);
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->parentWidget(), &owner);
        checked = true;
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(chooser.Execute());
    EXPECT_TRUE(checked);
    EXPECT_EQ(chooser.Directory(), QStringLiteral("/keep"));
    EXPECT_TRUE(chooser.DisplayName().isEmpty());

    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(tmp.path());
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.Directory(), QDir(tmp.path()).absolutePath());
    EXPECT_EQ(chooser.DisplayName(), QDir(tmp.path()).dirName());
}
