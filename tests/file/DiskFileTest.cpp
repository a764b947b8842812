#include "file/DiskFile.h"
#include "file/FileTexts.h"

#include <gtest/gtest.h>

// std
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DiskFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("vorlend-diskfile-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string Contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path m_dir;
};

TEST_F(DiskFile, SafeWriteReplacesWholeOrLeavesTheOldFile)
{
    const fs::path target = m_dir / "plan.kt";
    std::ofstream(target, std::ios::binary) << "old contents";
#ifndef _WIN32
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    const std::vector<std::uint8_t> bytes{'n', 'e', 'w', 0, 0xFF};
    EXPECT_EQ(WriteDiskFileSafely(target.string(), bytes), "");
    EXPECT_EQ(Contents(target), std::string("new\0\xFF", 5));
#ifndef _WIN32
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif

    // A target that cannot be replaced (a folder there) fails and leaves no temporary behind.
    const fs::path folder = m_dir / "taken";
    fs::create_directory(folder);
    std::ofstream(folder / "inside") << "kept";
    EXPECT_NE(WriteDiskFileSafely(folder.string(), bytes), "");
    EXPECT_EQ(Contents(folder / "inside"), "kept");
    EXPECT_NE(WriteDiskFileSafely((m_dir / "missing" / "x.kt").string(), bytes), "");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"plan.kt", "taken"}));
}

TEST_F(DiskFile, ReadTakesOrRefusesWhatIsPastTheLimit)
{
    const fs::path path = m_dir / "big";
    std::ofstream(path, std::ios::binary) << "0123456789";
    const DiskFileRead cut = ReadDiskFile(path.string(), 4, false);
    EXPECT_EQ(cut.error, "");
    EXPECT_EQ(std::string(cut.bytes.begin(), cut.bytes.end()), "0123");
    const DiskFileRead refused = ReadDiskFile(path.string(), 9, true);
    EXPECT_EQ(refused.error, Texts::kFileTooLarge);
    EXPECT_TRUE(refused.bytes.empty());
    const DiskFileRead whole = ReadDiskFile(path.string(), 10, true);
    EXPECT_EQ(std::string(whole.bytes.begin(), whole.bytes.end()), "0123456789");
    EXPECT_NE(ReadDiskFile((m_dir / "none").string(), 10, true).error, "");
}

} // namespace
