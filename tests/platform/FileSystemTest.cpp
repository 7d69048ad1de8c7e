// SPDX-License-Identifier: MIT
#include "common/Errors.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace kameola;
namespace fs = std::filesystem;

class DirectoryChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("kameola-chain-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override
    {
        fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_root);
    }
    fs::path m_root;
};

TEST_F(DirectoryChain, CreatesEveryLevel)
{
    std::string dir = (m_root / "new" / "写真" / "deeper").string();
    CreateDirectoryChain(dir);
    EXPECT_TRUE(fs::is_directory(dir));
    CreateDirectoryChain(dir + "/");  // existing levels are left alone
    CreateDirectoryChain((m_root / "a.old" / "b").string() + "/");
    EXPECT_TRUE(fs::is_directory(m_root / "a.old" / "b"));
}

TEST_F(DirectoryChain, FailureKeepsEarlierLevels)
{
    std::ofstream(m_root / "file") << "x";
    try {
        CreateDirectoryChain((m_root / "made" / std::string(300, 'x') / "y").string());
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), EInOutError(3).Message());  // ENAMETOOLONG
    }
    EXPECT_TRUE(fs::is_directory(m_root / "made"));

    try {
        CreateDirectoryChain((m_root / "file" / "x").string());
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        // A file stands where a level should be (EEXIST).
        EXPECT_EQ(e.Message(), EInOutError::FromErrno(EEXIST).Message());
    }

    if (::geteuid() != 0) {
        fs::permissions(m_root, fs::perms::owner_write, fs::perm_options::remove);
        try {
            CreateDirectoryChain((m_root / "denied").string());
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), EInOutError(5).Message());
        }
    }
}

TEST(FileSystem, AbsolutePathJoinsTheWorkingFolderByText)
{
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(AbsolutePath("pics/a.jpg"), cwd + "/pics/a.jpg");
    EXPECT_EQ(AbsolutePath("./pics//./a.jpg"), cwd + "/pics/a.jpg");
    EXPECT_EQ(AbsolutePath("../a.jpg"), cwd + "/../a.jpg");  // ".." is kept, not folded
    EXPECT_EQ(AbsolutePath("/x/./y/"), "/x/y/");
    EXPECT_EQ(AbsolutePath("/"), "/");
    EXPECT_EQ(AbsolutePath(""), "");
}

TEST_F(DirectoryChain, RunsMakingTheSameFolderAtOnceBothGoOn)
{
    // The maker whose mkdir comes second finds the folder there: that is success.
    for (int round = 0; round < 100; ++round) {
        const std::string target = (m_root / std::to_string(round) / "a" / "b").string();
        std::atomic<int> failures{0};
        std::vector<std::thread> makers;
        for (int i = 0; i < 4; ++i) {
            makers.emplace_back([&] {
                try {
                    CreateDirectoryChain(target);
                } catch (const Exception&) {
                    ++failures;
                }
            });
        }
        for (std::thread& maker : makers)
            maker.join();
        ASSERT_EQ(failures.load(), 0) << "round " << round;
    }
}
