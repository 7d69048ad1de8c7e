// Files named on the window's command line start in the list, as main hands them over.
#include "app/CommandLineFiles.h"

#include "app/ApplicationTitle.h"
#include "app/Unit1.h"
#include "tests/app/FakeServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <vector>

using namespace kameola;
using kameola::testing::FakeServices;

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetApplicationTitle(QStringLiteral("Kameola"));
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        ASSERT_TRUE(QDir().mkdir(QStringLiteral("pics")));
    }
    void TearDown() override { QDir::setCurrent(oldCurrent); }

    void MakeFile(const QString& relative)
    {
        QFile file(dir.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("data");
    }

    // Starts the window's list as main does with these arguments after the program name.
    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), "kameola");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        form.AddDroppedFiles(CommandLineFiles(static_cast<int>(args.size()), argv.data()));
    }

    QStringList Rows()
    {
        auto* list = form.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QStringList rows;
        for (int i = 0; list && i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0);
        return rows;
    }

    QString oldCurrent = QDir::currentPath();
    QTemporaryDir dir;
    FakeServices services;
    TForm1 form{services};
};

} // namespace

TEST_F(CommandLine, TwoFilesBecomeTwoRowsWithAbsolutePaths)
{
    MakeFile("pics/a.jpg");
    MakeFile("写真 b.gif");
    Start({"./pics//a.jpg", dir.filePath("写真 b.gif").toStdString()});
    EXPECT_EQ(Rows(), (QStringList{dir.filePath("pics/a.jpg"), dir.filePath("写真 b.gif")}));
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(CommandLine, NoFilesLeaveTheListEmptyWithoutABox)
{
    Start({});
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(CommandLine, TheFirstFileThatCannotBeOpenedIsShownAndEndsTheAdding)
{
    MakeFile("1.jpg");
    MakeFile("3.jpg");
    Start({"1.jpg", "pics/2.jpg", "3.jpg", "pics"});
    EXPECT_EQ(Rows(), QStringList{dir.filePath("1.jpg")});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "ファイル " + dir.filePath("pics/2.jpg") + " は開けません.");
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
}
