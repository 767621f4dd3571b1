#include "install/Filever.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// A fake installed program built by the test build (see CMakeLists.txt).
std::string Fake(const std::string& name)
{
    return std::string(ZA2_FAKES_DIR) + "/filever_" + name + "/Zandera2.exe";
}

// Stands for "not written by the reader".
constexpr TProductVersion kUntouched = {0xDEAD, 0xBEEF, 0xCAFE, 0xF00D};

void ExpectVersion(const TProductVersion& actual, WORD major, WORD minor, WORD release, WORD build)
{
    EXPECT_EQ(major, actual.Major);
    EXPECT_EQ(minor, actual.Minor);
    EXPECT_EQ(release, actual.Release);
    EXPECT_EQ(build, actual.Build);
}

TProductVersion ReadVersion(const std::string& path)
{
    TFileVer reader(path);
    TProductVersion version = kUntouched;
    EXPECT_TRUE(reader.GetProductVersion(version)) << path;
    return version;
}

void ExpectNoVersion(TFileVer& reader)
{
    TProductVersion version = kUntouched;
    EXPECT_FALSE(reader.GetProductVersion(version)) << reader.FileName();
    ExpectVersion(version, kUntouched.Major, kUntouched.Minor, kUntouched.Release,
                  kUntouched.Build);
    EXPECT_EQ(nullptr, reader.GetFixedInfo());
}

void Copy(const std::string& from, const std::string& to)
{
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
}

} // namespace

TEST(FileVer, TakesTheProductVersionNotTheFileVersion)
{
    TFileVer reader(Fake("product3"));
    const VS_FIXEDFILEINFO* fixed = reader.GetFixedInfo();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(MAKELONG(0, 2), fixed->dwFileVersionMS);  // the file says 2.0.1.0
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionLS);

    TProductVersion version = kUntouched;
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 3, 0, 0, 0);
}

TEST(FileVer, SplitsBothDoubleWordsIntoTheirWords)
{
    ExpectVersion(ReadVersion(Fake("2_0_1_999")), 2, 0, 1, 999);
    ExpectVersion(ReadVersion(Fake("2_0_10_0")), 2, 0, 10, 0);
    ExpectVersion(ReadVersion(Fake("2_1_0_0")), 2, 1, 0, 0);
}

TEST(FileVer, FilesWithoutAVersionGiveNone)
{
    TempFolder folder;
    folder.Write("Zandera2.exe", "not a program, just text named like one\r\n");

    TFileVer plain(folder.File("Zandera2.exe"));
    ExpectNoVersion(plain);
    EXPECT_FALSE(plain.LoadInfo());

    TFileVer missing(folder.File("missing.exe"));
    ExpectNoVersion(missing);
    EXPECT_FALSE(missing.LoadInfo());

    TFileVer bare(Fake("none"));
    ExpectNoVersion(bare);

    TFileVer empty("");
    ExpectNoVersion(empty);
}

TEST(FileVer, ABlockWithoutFixedInfoGivesNoVersion)
{
    TFileVer reader(Fake("nofixed"));
    EXPECT_TRUE(reader.LoadInfo());
    ExpectNoVersion(reader);
}

TEST(FileVer, ReadsEachFileNameOnce)
{
    TempFolder folder;
    std::string installed = folder.File("Zandera2.exe");
    Copy(Fake("product3"), installed);

    TFileVer reader(installed);
    TProductVersion version = kUntouched;
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 3, 0, 0, 0);

    // The held block answers; the file is not looked at again, even when it is gone.
    Copy(Fake("2_1_0_0"), installed);
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 3, 0, 0, 0);
    ASSERT_TRUE(DeleteFileA(installed.c_str()));
    EXPECT_TRUE(reader.LoadInfo());
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 3, 0, 0, 0);

    // Setting a name, even the same one, reads again.
    reader.SetFileName(installed);
    ExpectNoVersion(reader);
    Copy(Fake("2_1_0_0"), installed);
    reader.SetFileName(installed);
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 2, 1, 0, 0);

    reader.SetFileName(Fake("2_0_10_0"));
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 2, 0, 10, 0);
}

TEST(FileVer, AFailedReadIsTriedAgain)
{
    TempFolder folder;
    std::string installed = folder.File("Zandera2.exe");
    TFileVer reader(installed);
    ExpectNoVersion(reader);

    Copy(Fake("2_0_1_999"), installed);
    TProductVersion version = kUntouched;
    ASSERT_TRUE(reader.GetProductVersion(version));
    ExpectVersion(version, 2, 0, 1, 999);

    reader.FreeInfo();
    ASSERT_TRUE(DeleteFileA(installed.c_str()));
    ExpectNoVersion(reader);
}

TEST(FileVer, NamesOfMoreThan255CharactersHaveNoVersion)
{
    TempFolder folder;
    const std::size_t kLongest = 255;
    std::string prefix = folder.Path() + "\\";
    ASSERT_LT(prefix.size() + 5, kLongest);
    auto nameOfLength = [&](std::size_t length) {
        return prefix + std::string(length - prefix.size() - 4, 'z') + ".exe";
    };

    std::string longest = nameOfLength(kLongest);
    std::string tooLong = nameOfLength(kLongest + 1);
    ASSERT_EQ(kLongest, longest.size());
    Copy(Fake("2_1_0_0"), longest);
    Copy(Fake("2_1_0_0"), tooLong);

    ExpectVersion(ReadVersion(longest), 2, 1, 0, 0);
    TFileVer reader(tooLong);
    ExpectNoVersion(reader);
}
