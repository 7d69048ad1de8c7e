// SPDX-License-Identifier: MIT
// Tests of the main window starting gallery runs, and of its picture dialog.
#include "common/Errors.h"
#include "widgets/Gauges.h"
#include "app/Unit1.h"
#include "app/ApplicationTitle.h"
#include "tests/app/WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace kameola;
using namespace kameola::test;

namespace {

class GalleryRun : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        QDir(dir.path()).mkdir("pics");
        QDir(dir.path()).mkdir("out");
        Edit("Edit1")->setText(dir.filePath("out") + "/");
    }

    QLineEdit* Edit(const char* name) { return Control<QLineEdit>(name); }
    TGauge* Gauge() { return Control<TGauge>("Gauge1"); }
    void Create() { Click("Button3"); }

    QString Picture(const QString& name, const QByteArray& content = "GIF89a")
    {
        return MakeFile("pics/" + name, content);
    }

    QString Jpeg(const QString& name, int width, int height)
    {
        const QString path = dir.filePath("pics/" + name);
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path, "JPEG"));
        return path;
    }

    QByteArray Page() const
    {
        QFile page(dir.filePath("out/index.htm"));
        return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(GalleryRun, WritesThePageAndReportsCompletion)
{
    form.AddEntry(Picture("a.gif"));
    form.AddEntry(Jpeg("b.jpg", 200, 100));
    Edit("Edit2")->setText("1");

    Create();

    const QByteArray page = Page();
    ASSERT_FALSE(page.isEmpty());
    EXPECT_TRUE(page.startsWith("<HTML><HEAD>\r\n"));
    EXPECT_TRUE(page.contains("<A HREF=\"a.gif\"><IMG SRC=\"a.gif\" WIDTH=100 HEIGHT=75 BORDER=0>"));
    EXPECT_TRUE(page.contains("<A HREF=\"b.jpg\"><IMG SRC=\"b.jpg\" WIDTH=100 HEIGHT=50 BORDER=0>"));
    EXPECT_EQ(page.count("<TR>"), 2);  // one column
    EXPECT_TRUE(QFile::exists(dir.filePath("out/a.gif")));
    EXPECT_TRUE(QFile::exists(dir.filePath("out/b.jpg")));

    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "終了しました");
    EXPECT_EQ(services.boxes[0].caption, "結果報告");
    EXPECT_FALSE(services.boxes[0].error);
    EXPECT_EQ(services.busy, 1);
    EXPECT_EQ(services.restored, 1);
    EXPECT_EQ(Gauge()->MaxValue(), 1);
    EXPECT_EQ(Gauge()->PercentDone(), 100);  // the gauge keeps its last position
    EXPECT_FALSE(form.RunInProgress());
}

TEST_F(GalleryRun, TakesTheOptionsAndTheMissingFolderQuestion)
{
    form.AddEntry(Picture("c.gif"));
    auto* options = form.findChild<QListWidget*>("CheckListBox1");
    options->item(1)->setCheckState(Qt::Checked);  // file names
    options->item(3)->setCheckState(Qt::Checked);  // link in place
    Edit("Edit1")->setText(dir.filePath("new/deeper"));
    Edit("Edit3")->setText("旅行");

    services.answers = {MessageAnswer::No};
    Create();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "ディレクトリを作成しても構いませんか？");
    EXPECT_FALSE(QDir(dir.filePath("new")).exists());

    Create();  // Yes
    QFile page(dir.filePath("new/deeper/index.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray text = page.readAll();
    EXPECT_TRUE(text.contains("<A HREF=\"file://" + dir.filePath("pics/c.gif").toUtf8() + "\">"));
    EXPECT_TRUE(text.contains("<BR>c.gif</A>"));
    EXPECT_FALSE(QFile::exists(dir.filePath("new/deeper/c.gif")));  // nothing copied
}

TEST_F(GalleryRun, AnEmptyListStopsWithTheRangeError)
{
    Create();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EInvalidOperation(1, 2147483647)));
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
    EXPECT_EQ(services.busy, services.restored);
    EXPECT_TRUE(Page().isEmpty());
    EXPECT_EQ(Gauge()->MaxValue(), 100);  // unchanged
}

TEST_F(GalleryRun, AnEmptyOutputFieldIsOnlyWarnedAbout)
{
    form.AddEntry(Picture("d.gif"));
    Edit("Edit1")->clear();
    Create();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "出力先ディレクトリを指定してください");
    EXPECT_EQ(services.boxes[0].caption, "警告");
    EXPECT_EQ(services.busy, 0);
}

TEST_F(GalleryRun, AStopOnAnEntrySelectsTheRowItCameFromEvenAfterEdits)
{
    auto* list = form.findChild<QTreeWidget*>("ListView1");
    const auto names = [list](bool selectedOnly) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (!selectedOnly || list->topLevelItem(i)->isSelected())
                rows << QFileInfo(list->topLevelItem(i)->text(0)).fileName();
        return rows;
    };
    const auto rowNamed = [list](const QString& name) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0).endsWith("/" + name))
                return list->topLevelItem(i);
        return static_cast<QTreeWidgetItem*>(nullptr);
    };
    struct Case {
        const char* what;
        bool broken;                              // bad.jpg stops the run
        std::function<void()> duringRun;          // edits made while the run goes on
        QStringList selected;                     // after the error box
    };
    const Case cases[] = {
        {"rows moved and added: the same row, not the same index", true,
         [&] {
             delete list->takeTopLevelItem(0);  // bad.jpg moves up to index 0
             form.AddEntry(Picture("new.gif"));
             list->insertTopLevelItem(2, list->takeTopLevelItem(list->topLevelItemCount() - 1));
         },
         {"bad.jpg"}},
        {"the row removed: the selection stays", true, [&] { delete rowNamed("bad.jpg"); }, {"ok.gif"}},
        {"an error from no entry: the selection stays", false, [] {}, {"ok.gif"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list->clear();
        services.boxes.clear();
        Edit("Edit4")->setText(c.broken ? "index.htm" : "no/such/folder/index.htm");
        form.AddEntry(Picture("first.gif"));
        if (c.broken)
            form.AddEntry(Picture("bad.jpg", "not a JPEG at all"));
        for (int i = 0; i < 40; ++i)
            form.AddEntry(Picture(QStringLiteral("ok%1.gif").arg(i)));
        form.AddEntry(Picture("ok.gif"));
        rowNamed("ok.gif")->setSelected(true);
        services.onBusy = c.duringRun;
        form.show();
        list->scrollToBottom();

        Create();

        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_TRUE(services.boxes[0].error);
        EXPECT_EQ(names(true), c.selected);
        if (QTreeWidgetItem* bad = rowNamed("bad.jpg"); bad && c.selected == QStringList{"bad.jpg"}) {
            EXPECT_EQ(list->currentItem(), bad);
            QCoreApplication::processEvents();
            EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(bad))) << "scrolled into view";
        }
    }
}

TEST_F(GalleryRun, ASecondClickDuringARunDoesNothingAndClosingStopsIt)
{
    form.AddEntry(Picture("e.gif"));
    form.AddEntry(Picture("f.gif"));
    form.show();
    services.onBusy = [this] {
        ASSERT_TRUE(form.RunInProgress());
        Create();       // ignored while the run goes on
        form.close();   // stops the run at its next entry
    };

    Create();

    EXPECT_EQ(services.busy, 1);
    EXPECT_EQ(services.restored, 1);
    EXPECT_TRUE(services.boxes.empty());  // no error box, no completion box
    EXPECT_TRUE(Page().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("out/e.gif")));
    EXPECT_FALSE(form.RunInProgress());
    EXPECT_FALSE(form.isVisible());  // the window closed once the run had stopped
}

// Copies that fail (here the kernel refuses files over a size limit, as a full disk would)
// are listed in one warning before the completion notice, the first ten by name; the page
// is still written, and a target that exists already is passed over silently.
TEST_F(GalleryRun, CopiesThatFailAreWarnedOfBeforeTheReport)
{
    constexpr int kFailing = 12;
    const QByteArray large(8192, 'x');
    QStringList names;
    for (int i = 0; i < kFailing; ++i) {
        names << QStringLiteral("p%1.gif").arg(i, 2, 10, QLatin1Char('0'));
        form.AddEntry(Picture(names.last(), "GIF89a" + large));
    }
    form.AddEntry(Picture("kept.gif"));
    MakeFile("out/kept.gif", "already there");

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{4096, old.rlim_max};
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);  // a write past it fails with EFBIG
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Create();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    ASSERT_EQ(services.boxes.size(), 2u);
    QStringList expected{QStringLiteral("次のファイルはコピーできませんでした:")};
    const QString reason = QString::fromStdString(EInOutError::FromErrno(EFBIG).Message());
    for (int i = 0; i < 10; ++i)
        expected << names[i] + QStringLiteral(": ") + reason;
    expected << QStringLiteral("ほか 2 件");
    EXPECT_EQ(services.boxes[0].text, expected.join('\n'));
    EXPECT_EQ(services.boxes[0].caption, "警告");
    EXPECT_TRUE(services.boxes[0].warning);
    EXPECT_EQ(services.boxes[1].caption, "結果報告");
    EXPECT_TRUE(Page().contains("<IMG SRC=\"p11.gif\""));

    // Without the limit the copies are made; the existing target alone warns of nothing.
    services.boxes.clear();
    Create();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].caption, "結果報告");
}
