#include "app/FileReplace.h"

#include "support/TempFolder.h"
#include "framework/core/Exception.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

const std::string kOld = "old contents";
const std::string kNew = "new contents, longer than the old";

// One file replaced as the run replaces its files: a set of one.
void Replace(const std::string& folder, const std::string& name, const std::string& data)
{
    TStagedFiles files(folder, {name});
    files.Stage(name, data.data(), static_cast<long>(data.size()));
    files.Commit();
}

void ExpectCreateError(const std::string& folder, const std::string& name, const std::string& data)
{
    const std::string path = folder + "\\" + name;
    try {
        Replace(folder, name, data);
        FAIL() << "no error for " << path;
    } catch (const EFCreateError& e) {
        EXPECT_EQ("ﾌｧｲﾙ " + path + " を作成できません", e.Message());
    }
}

} // namespace

TEST(FileReplace, ReplacesExistingAndCreatesMissingFiles)
{
    TempFolder folder;
    folder.Write("A.TXT", kOld);
    Replace(folder.Path(), "A.TXT", kNew);
    EXPECT_EQ(kNew, folder.Read("A.TXT"));

    Replace(folder.Path(), "B.TXT", "");
    EXPECT_EQ("", folder.Read("B.TXT"));
    EXPECT_EQ((std::vector<std::string>{"A.TXT", "B.TXT"}), folder.Names());
}

TEST(FileReplace, FileInUseOrMissingFolderKeepsEverythingAsItWas)
{
    TempFolder folder;
    folder.Write("PPR", kOld);
    HANDLE held = CreateFileA(folder.File("PPR").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ExpectCreateError(folder.Path(), "PPR", kNew);
    CloseHandle(held);
    EXPECT_EQ(kOld, folder.Read("PPR"));
    EXPECT_EQ(std::vector<std::string>{"PPR"}, folder.Names()); // no temporary file left

    ExpectCreateError(folder.File("missing"), "X.TXT", kNew);
}

TEST(FileReplace, FullDiskKeepsTheOldFile)
{
    const char* disk = std::getenv("ZA2_FULL_DISK");
    if (!disk || !*disk)
        GTEST_SKIP() << "no small disk mounted (ZA2_FULL_DISK unset)";
    TempFolder folder(disk);
    folder.Write("EXE", kOld);
    std::string big(2 * 1024 * 1024, 'x'); // larger than the whole disk
    try {
        Replace(folder.Path(), "EXE", big);
        FAIL() << "no error on a full disk";
    } catch (const EWriteError& e) {
        EXPECT_EQ("ｽﾄﾘｰﾑへの書き込みｴﾗｰ", e.Message());
    }
    EXPECT_EQ(kOld, folder.Read("EXE"));
    EXPECT_EQ(std::vector<std::string>{"EXE"}, folder.Names());
}
