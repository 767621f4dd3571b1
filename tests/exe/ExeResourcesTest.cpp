// The updater's executable as Windows sees it: manifest, version resource and icon. The
// manifest's contents are checked on the build machine (manifest-check.sh).
#include "install/Filever.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// The program built beside the tests, or another build of it ($ZA2_EXE_UNDER_TEST).
const char* const kExe = getenv("ZA2_EXE_UNDER_TEST") ? getenv("ZA2_EXE_UNDER_TEST") : ZA2_UPDATER_EXE;
const WORD kManifestId = 1;  // the process's own manifest

// The program's file mapped as data: its resources can be read, none of its code runs.
class DataModule {
public:
    explicit DataModule(const char* path)
        : module_(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

std::string Resource(HMODULE module, const char* name, const char* type)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return std::string();
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

class ExeResources : public testing::Test {
protected:
    DataModule exe_{kExe};

    void SetUp() override { ASSERT_NE(nullptr, exe_.Get()) << kExe << ": " << GetLastError(); }
};

// ---- Manifest ----

TEST_F(ExeResources, TheLoaderFindsTheProcessManifest)
{
    EXPECT_FALSE(Resource(exe_.Get(), MAKEINTRESOURCEA(kManifestId), RT_MANIFEST).empty());
}

TEST_F(ExeResources, TheProgramStartsWithItsManifest)
{
    // A broken manifest or an unusable elevation request fails here, before any code runs.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = std::string("\"") + kExe + "\"";
    ASSERT_TRUE(CreateProcessA(kExe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    const DWORD kGraceMs = 3000;
    if (WaitForSingleObject(process.hProcess, kGraceMs) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 0);  // it is showing its window: enough
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// ---- Version resource ----

class VersionInfo {
public:
    explicit VersionInfo(const char* path)
    {
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path, &handle);
        block_.resize(size);
        if (size == 0 || !GetFileVersionInfoA(path, handle, size, block_.data()))
            block_.clear();
    }
    bool Present() const { return !block_.empty(); }

    const void* Query(const std::string& subBlock, UINT* length = nullptr) const
    {
        void* value = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(block_.data(), subBlock.c_str(), &value, &size))
            return nullptr;
        if (length)
            *length = size;
        return value;
    }

    // A text of the Japanese string table, as the ANSI call gives it (CP932).
    std::string Text(const std::string& key) const
    {
        const void* value = Query("\\StringFileInfo\\041103A4\\" + key);
        return value ? static_cast<const char*>(value) : "(missing)";
    }

private:
    std::vector<BYTE> block_;
};

TEST_F(ExeResources, VersionIs2020)
{
    VersionInfo info(kExe);
    ASSERT_TRUE(info.Present());
    UINT length = 0;
    auto fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query("\\", &length));
    ASSERT_NE(nullptr, fixed);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    const DWORD kMs = MAKELONG(0, 2), kLs = MAKELONG(0, 2);  // 2.0 . 2.0
    EXPECT_EQ(kMs, fixed->dwFileVersionMS);
    EXPECT_EQ(kLs, fixed->dwFileVersionLS);
    EXPECT_EQ(kMs, fixed->dwProductVersionMS);
    EXPECT_EQ(kLs, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    // The updater's own reader agrees: this is the release it installs.
    TFileVer reader(kExe);
    TProductVersion version{};
    ASSERT_TRUE(reader.GetProductVersion(version));
    EXPECT_EQ(2, version.Major);
    EXPECT_EQ(0, version.Minor);
    EXPECT_EQ(2, version.Release);
    EXPECT_EQ(0, version.Build);
}

TEST_F(ExeResources, VersionTextsAreJapanese)
{
    VersionInfo info(kExe);
    ASSERT_TRUE(info.Present());
    EXPECT_EQ("ザンデラ2.02アップデータ", info.Text("FileDescription"));
    EXPECT_EQ("ザンデラ・ソフト", info.Text("CompanyName"));
    EXPECT_EQ("ザンデラ2 アップデータ", info.Text("ProductName"));
    EXPECT_EQ("2.0.2.0", info.Text("FileVersion"));
    EXPECT_EQ("2.0.2.0", info.Text("ProductVersion"));
    EXPECT_EQ("Za2Update.exe", info.Text("OriginalFilename"));

    UINT length = 0;
    auto translation = static_cast<const WORD*>(info.Query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(nullptr, translation);
    ASSERT_EQ(2 * sizeof(WORD), length);
    const WORD kJapanese = 0x0411, kShiftJis = 932;
    EXPECT_EQ(kJapanese, translation[0]);
    EXPECT_EQ(kShiftJis, translation[1]);
}

// ---- Icon ----

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

BOOL CALLBACK TakeFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    auto first = reinterpret_cast<std::string*>(param);
    *first = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name;
    return FALSE;  // the first one is enough
}

TEST_F(ExeResources, MainIconIsTheFirstIconGroup)
{
    std::string first;
    EnumResourceNamesA(exe_.Get(), RT_GROUP_ICON, TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ("MAINICON", first);
}

TEST_F(ExeResources, MainIconHas16_32_48PixelsIn16And256Colours)
{
    std::string group = Resource(exe_.Get(), "MAINICON", RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(GroupIconHeader));
    auto header = reinterpret_cast<const GroupIconHeader*>(group.data());
    ASSERT_EQ(1, header->type);
    ASSERT_EQ(sizeof(GroupIconHeader) + header->count * sizeof(GroupIconEntry), group.size());
    auto entries = reinterpret_cast<const GroupIconEntry*>(header + 1);

    const DWORD kIconVersion = 0x00030000;
    std::set<std::pair<int, int>> images;
    for (int i = 0; i < header->count; ++i) {
        const GroupIconEntry& e = entries[i];
        SCOPED_TRACE(testing::Message() << int(e.width) << " px, " << e.bitCount << " bits");
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(1, e.planes);
        EXPECT_EQ(e.bitCount == 4 ? 16 : 0, e.colourCount);
        images.insert({e.width, e.bitCount});

        // The image itself: present, of the listed size, and one that Windows can make an icon of.
        std::string image = Resource(exe_.Get(), MAKEINTRESOURCEA(e.id), RT_ICON);
        ASSERT_EQ(e.bytesInRes, image.size());
        auto info = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(e.width, info->biWidth);
        EXPECT_EQ(2 * e.height, info->biHeight);  // colour rows and mask rows
        EXPECT_EQ(e.bitCount, info->biBitCount);
        HICON icon = CreateIconFromResourceEx(
            reinterpret_cast<BYTE*>(&image[0]), static_cast<DWORD>(image.size()), TRUE,
            kIconVersion, e.width, e.height, LR_DEFAULTCOLOR);
        EXPECT_NE(nullptr, icon);
        if (icon)
            DestroyIcon(icon);
    }
    std::set<std::pair<int, int>> expected = {{16, 4}, {32, 4}, {48, 4}, {16, 8}, {32, 8}, {48, 8}};
    EXPECT_EQ(expected, images);
}

} // namespace
