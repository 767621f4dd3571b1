// The updater as a user meets it: the real program, started as a process of its own, driven
// through its windows by their captions, with the results checked on disk.
#include "PayloadFiles.h"
#include "UpdaterCopy.h"
#include "support/BmpBuilder.h"
#include "support/ResFileBuilder.h"
#include "support/TempFolder.h"
#include "e2e/Driver.h"
#include "framework/win32/GdiHandle.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <iterator>
#include <vector>

namespace {

const char kTitle[] = "ザンデラ2.02アップデータ";
const char kUpdate[] = "アップデート";
const char kExit[] = "終了";
const char kStart[] = "開始";
const char kNo[] = "いいえ";
const char kInstallKey[] = "Zandera2.Application\\dstDir";
const char kSucceeded[] = "アップデートは正常に終了しました";
const char kFailed[] = "アップデート処理に失敗しました";
const char kAlreadyCurrent[] = "お使いのザンデラ2は、アップデートの必要がありません";
const char kCannotUpdate[] = "このザンデラ2を、アップデートすることはできません";
const std::string kOld = "release 2.01";
// The update's files in their order, and the files their payload was made from.
const char* const kNames[] = {ZA2_PAYLOAD_NAMES};
const char* const kSamples[] = {ZA2_PAYLOAD_SOURCES};
const WORD RT_BITMAP_ORDINAL = 2;

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FakeRelease(const char* name)
{
    return WindowsPath(std::string(ZA2_FAKES_DIR) + "/" + name + "/Zandera2.exe");
}

FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool IsReleaseTime(const FILETIME& utc)
{
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &t);
    return t.wYear == 2000 && t.wMonth == 1 && t.wDay == 15 && t.wHour == 2 && t.wMinute == 2
           && t.wSecond == 0;
}

// The registry entry that tells where the program is installed, for one test.
class InstallEntry {
public:
    explicit InstallEntry(const std::string& folder)
    {
        RegSetValueA(HKEY_CLASSES_ROOT, kInstallKey, REG_SZ, folder.c_str(),
                     static_cast<DWORD>(folder.size()));
    }
    ~InstallEntry()
    {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kInstallKey);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "Zandera2.Application");
    }
    InstallEntry(const InstallEntry&) = delete;
    InstallEntry& operator=(const InstallEntry&) = delete;
};

class EndToEnd : public testing::Test {
protected:
    // An installation of release 2.01 whose executable is the given fake.
    void Install(const char* fake)
    {
        ASSERT_TRUE(CopyFileA(FakeRelease(fake).c_str(), folder_.File("Zandera2.exe").c_str(),
                              FALSE))
            << FakeRelease(fake);
        for (const char* name : kNames)
            if (lstrcmpiA(name, "Zandera2.exe") != 0)   // the executable is the fake
                folder_.Write(name, kOld);
        entry_ = std::make_unique<InstallEntry>(folder_.Path());
    }

    // Starts the updater and presses "アップデート"; returns the folder dialog.
    HWND OpenFolderDialog(const std::string& updater = UpdaterExe(ZA2_UPDATER_EXE))
    {
        app_ = std::make_unique<AppUnderTest>(updater);
        main_ = app_->WaitForWindowWith(kTitle, kUpdate);
        EXPECT_NE(nullptr, main_) << "the main window did not open";
        if (!main_)
            return nullptr;
        Click(FindControl(main_, kUpdate));
        HWND dialog = app_->WaitForWindowWith(kTitle, kStart);
        EXPECT_NE(nullptr, dialog) << "the folder dialog did not open";
        return dialog;
    }

    void ExpectBox(const std::string& text)
    {
        MessageBoxSeen box = app_->WaitForMessageBox();
        ASSERT_NE(nullptr, box.window) << "no message box: " << text;
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(kTitle, box.caption);
        app_->Dismiss(box);
    }

    // Both buttons shown; waits a moment for it, as the clicks that close dialogs are posted.
    bool MainIsIdle(DWORD waitMs = 0) const
    {
        HWND update = FindControl(main_, kUpdate);
        HWND exit = FindControl(main_, kExit);
        return update && exit && WaitVisible(update, waitMs) && WaitVisible(exit, waitMs);
    }

    void ExitFromIdle()
    {
        ASSERT_TRUE(app_->WaitForWindowWith(kTitle, kUpdate));
        EXPECT_TRUE(MainIsIdle(AppUnderTest::WaitMs()));
        Click(FindControl(main_, kExit));
        EXPECT_EQ(0u, app_->WaitForExit());
    }

    void ExpectRefused(const char* fake, const std::string& warning)
    {
        Install(fake);
        HWND dialog = OpenFolderDialog();
        ASSERT_TRUE(dialog);
        HWND start = FindControl(dialog, kStart);
        ASSERT_TRUE(WaitEnabled(start, true));
        Click(start);
        ExpectBox(warning);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog must stay open";
        Click(FindControl(dialog, kNo));
        ExitFromIdle();
        EXPECT_EQ(kOld, folder_.Read("ZANDERA2.HLP"));
    }

    void ExpectSuccessfulUpdate(const std::string& updater)
    {
        Install("e2e_2010");
        HWND dialog = OpenFolderDialog(updater);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(folder_.Path(), WindowText(FindControlOfClass(dialog, "Edit")));
        EXPECT_FALSE(MainIsIdle()) << "the buttons hide while the sequence runs";
        HWND start = FindControl(dialog, kStart);
        ASSERT_TRUE(WaitEnabled(start, true));
        Click(start);
        ExpectBox(kSucceeded);
        EXPECT_EQ(0u, app_->WaitForExit()) << "the program ends by itself after success";

        for (size_t i = 0; i < std::size(kNames); ++i) {
            EXPECT_EQ(FileBytes(kSamples[i]), folder_.Read(kNames[i])) << kNames[i];
            EXPECT_TRUE(IsReleaseTime(LastWriteTime(folder_.File(kNames[i])))) << kNames[i];
        }
    }

    TempFolder folder_;
    std::unique_ptr<InstallEntry> entry_;
    std::unique_ptr<AppUnderTest> app_;
    HWND main_ = nullptr;
};

} // namespace

TEST_F(EndToEnd, UpdatesAnInstalledRelease201AndEnds)
{
    ExpectSuccessfulUpdate(UpdaterExe(ZA2_UPDATER_EXE));
}

// Stand-ins of the DLLs that the program loads itself lie beside it, and Wine is told to prefer
// them: the whole update runs (the version gate and the progress bar work) and none is loaded.
TEST_F(EndToEnd, UpdatesWithoutLoadingDllsPlantedBesideIt)
{
    UpdaterCopy updater(ZA2_UPDATER_EXE, "Za2Planted.exe");
    updater.PlantDlls(WindowsPath(ZA2_PLANTED_DIR));
    ExpectSuccessfulUpdate(updater.Path());
    EXPECT_EQ(std::vector<std::string>(), updater.Markers());
}

TEST_F(EndToEnd, UpdatesOnTheWindows98FamilyWithoutLoadingPlantedDlls)
{
    UpdaterCopy updater(ZA2_UPDATER_EXE, "Za2Update98.exe");
    updater.ReportWindows98();
    updater.PlantDlls(WindowsPath(ZA2_PLANTED_DIR));
    ExpectSuccessfulUpdate(updater.Path());
    EXPECT_EQ(std::vector<std::string>(), updater.Markers());
}

// The stand-ins leave their marker when loaded, so no marker above means none was loaded.
TEST(EndToEndPlanted, StandInsLeaveAMarkerWhenLoaded)
{
    TempFolder folder;
    const std::string planted = WindowsPath(ZA2_PLANTED_DIR);
    const std::vector<std::string> dlls = FileNames(planted, "*.dll");
    ASSERT_FALSE(dlls.empty());
    for (const std::string& dll : dlls) {
        // Under a name of its own: the process may hold the system's DLL of that name.
        const std::string probe = folder.File("probe-" + dll);
        ASSERT_TRUE(CopyFileA((planted + "\\" + dll).c_str(), probe.c_str(), FALSE));
        HMODULE module = LoadLibraryA(probe.c_str());
        ASSERT_TRUE(module) << dll;
        FreeLibrary(module);
        EXPECT_EQ(1u, FileNames(folder.Path(), "probe-" + dll + ".loaded").size()) << dll;
    }
}

TEST_F(EndToEnd, TypedFolderIsUsedAndCancelReturnsToTheIdleWindow)
{
    Install("e2e_2010");
    HWND dialog = OpenFolderDialog();
    ASSERT_TRUE(dialog);
    HWND edit = FindControlOfClass(dialog, "Edit");
    HWND start = FindControl(dialog, kStart);
    TypeText(edit, folder_.File("missing"));
    EXPECT_FALSE(WaitEnabled(start, false)) << "no Zandera2.exe there";
    TypeText(edit, folder_.Path() + "\\");
    EXPECT_TRUE(WaitEnabled(start, true));
    Click(FindControl(dialog, kNo));
    ExitFromIdle();
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.HLP"));
}

TEST_F(EndToEnd, CurrentReleasesAreRefusedAsUpToDate)
{
    ExpectRefused("e2e_2020", kAlreadyCurrent);
}

TEST_F(EndToEnd, Release210IsRefusedAsUpToDate)
{
    ExpectRefused("e2e_2100", kAlreadyCurrent);
}

TEST_F(EndToEnd, OtherReleasesAndUnversionedFilesAreRefused)
{
    ExpectRefused("e2e_1500", kCannotUpdate);
}

TEST_F(EndToEnd, Release300IsRefused)
{
    ExpectRefused("e2e_3000", kCannotUpdate);
}

TEST_F(EndToEnd, ExecutableWithoutVersionIsRefused)
{
    ExpectRefused("e2e_none", kCannotUpdate);
}

TEST_F(EndToEnd, ReadOnlyFileFailsWithBothMessagesAndChangesNoFile)
{
    Install("e2e_2010");
    const std::string installedExe = FileBytes(folder_.File("Zandera2.exe"));
    std::string hlp = folder_.File("ZANDERA2.HLP");
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_READONLY);
    HWND dialog = OpenFolderDialog();
    ASSERT_TRUE(dialog);
    HWND start = FindControl(dialog, kStart);
    ASSERT_TRUE(WaitEnabled(start, true));
    Click(start);
    ExpectBox("ファイルが読み取り専用になっているためアップデートできません\r\n" + hlp);
    ExpectBox(kFailed);
    ExitFromIdle();
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_NORMAL);
    // All or nothing: the executable too is still 2.01, so the update can be run again.
    EXPECT_EQ(installedExe, FileBytes(folder_.File("Zandera2.exe")));
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.HLP"));
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.PPR"));
    EXPECT_EQ(kOld, folder_.Read("README.TXT"));
    EXPECT_EQ(4u, folder_.Names().size()) << "no staged or backup file left";
}

namespace {

// The palette entry nearest to colour, as a colour.
COLORREF NearestIn(HPALETTE palette, COLORREF colour)
{
    PALETTEENTRY entry = {};
    GetPaletteEntries(palette, GetNearestPaletteIndex(palette, colour), 1, &entry);
    return RGB(entry.peRed, entry.peGreen, entry.peBlue);
}

// The colour a pixel of a given colour shows on this screen. A true-colour screen shows it as it
// is. Wine's 256-colour X display realises only the 20 static system colours: a window's pixels
// are held in the 256 halftone colours and each is shown as the static colour nearest to it.
class ScreenColours {
public:
    ScreenColours()
    {
        TScreenDC screen;
        palette_ = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
        halftone_.Reset(CreateHalftonePalette(screen));
    }

    bool HasPalette() const { return palette_; }

    COLORREF Shown(COLORREF colour) const
    {
        return palette_ ? NearestIn(Statics(), NearestIn(halftone_.Get(), colour)) : colour;
    }

    bool IsStatic(COLORREF colour) const { return NearestIn(Statics(), colour) == colour; }

private:
    static HPALETTE Statics() { return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)); }

    bool palette_ = false;
    TOwnedPalette halftone_;
};

// The buttons lie on the logo's band from y 174 to 217; the rest of the client area is logo.
bool UnderTheButtons(int y)
{
    const int kButtonTop = 174;
    const int kButtonHeight = 43;
    return y >= kButtonTop && y < kButtonTop + kButtonHeight;
}

void ExpectLogoFillsTheMainWindow(const std::string& updater)
{
    AppUnderTest app(updater);
    HWND main = app.WaitForWindowWith(kTitle, kUpdate);
    ASSERT_TRUE(main);
    Sleep(500);  // let it paint
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(400, client.right);
    EXPECT_EQ(248, client.bottom);

    // The same logo is linked into this program.
    TOwnedBitmap logo(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "LOGO",
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(logo.Get());
    TMemoryDC memory;
    TSelectObject selected(memory, logo.Get());
    TScreenDC screen;
    const ScreenColours colours;
    const int kStep = 6;
    int checked = 0, wrong = 0, notStatic = 0;
    for (int y = 0; y < 248; y += kStep) {
        if (UnderTheButtons(y))
            continue;
        for (int x = 0; x < 400; x += kStep) {
            POINT onScreen{x, y};
            ClientToScreen(main, &onScreen);
            const COLORREF expected = colours.Shown(GetPixel(memory, x, y));
            const COLORREF shown = GetPixel(screen, onScreen.x, onScreen.y);
            ++checked;
            if (colours.HasPalette() && !colours.IsStatic(shown))
                ++notStatic;
            if (shown != expected && ++wrong <= 5)
                ADD_FAILURE() << "at " << x << "," << y << std::hex << ": shows " << shown
                              << ", expected " << expected;
        }
    }
    EXPECT_EQ(0, wrong) << "of " << checked << " pixels checked";
    EXPECT_EQ(0, notStatic);
    Click(FindControl(main, kExit));
    EXPECT_EQ(0u, app.WaitForExit());
}

} // namespace

TEST_F(EndToEnd, MainWindowShowsTheLogoAtItsSize)
{
    ExpectLogoFillsTheMainWindow(UpdaterExe(ZA2_UPDATER_EXE));
}

TEST_F(EndToEnd, MainWindowShowsTheLogoOnTheWindows98Family)
{
    UpdaterCopy updater(ZA2_UPDATER_EXE, "Za2Logo98.exe");
    updater.ReportWindows98();
    ExpectLogoFillsTheMainWindow(updater.Path());
}

namespace {

// A red DIB as a bitmap resource holds it (no file header), in one of the layouts that the
// bitmap loader reads.
struct LogoLayout {
    const char* name;
    int bits;
    DWORD headerSize;
    DWORD masks[3];   // none: BI_RGB
};

std::string RedDib(int width, int height, const LogoLayout& layout)
{
    TestBmp bmp(width, height, layout.bits);
    bmp.info.biSize = layout.headerSize;
    bmp.info.biSizeImage = 0;   // 0, as many writers leave it
    if (layout.masks[0])
        bmp.SetMasks(layout.masks[0], layout.masks[1], layout.masks[2]);
    const DWORD plainRed = layout.bits == 16 ? 0x7C00 : 0xFF0000;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (layout.bits == 8)
                bmp.SetIndex(x, y, 1);
            else if (layout.bits == 24)
                bmp.SetColor(x, y, RGB(255, 0, 0));
            else
                bmp.SetValue(x, y, layout.masks[0] ? layout.masks[0] : plainRed);
        }
    if (layout.bits == 8)
        bmp.colors[1] = RGBQUAD{0, 0, 255, 0};
    return bmp.Packed();
}

} // namespace

// Every layout the bitmap loader reads reaches the palette screen too: the window takes the
// logo's size and shows it, with no report.
TEST(EndToEndLogo, ResourceFileBesideTheProgramReplacesTheLogo)
{
    const LogoLayout layouts[] = {
        {"24-bit", 24, 40, {}},
        {"16-bit 555", 16, 40, {}},
        {"16-bit 565 bitfields", 16, 40, {0xF800, 0x07E0, 0x001F}},
        {"32-bit bitfields", 32, 40, {0xFF0000, 0xFF00, 0xFF}},
        {"version 4, 8-bit", 8, 108, {}},
        {"version 5, 32-bit bitfields", 32, 124, {0xFF000000, 0xFF0000, 0xFF00}},
    };
    for (const LogoLayout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        TempFolder programs;
        std::string updater = programs.File("Za2Update.exe");
        ASSERT_TRUE(CopyFileA(UpdaterExe(ZA2_UPDATER_EXE).c_str(), updater.c_str(), FALSE));
        programs.Write("Za2Image.res",
                       resfile::Start() + resfile::Entry(resfile::Id(RT_BITMAP_ORDINAL),
                                                         resfile::Id("LOGO"),
                                                         RedDib(200, 124, layout)));
        AppUnderTest app(updater);
        HWND main = app.WaitForWindowWith(kTitle, kUpdate);
        ASSERT_TRUE(main);
        Sleep(500);
        RECT client;
        GetClientRect(main, &client);
        EXPECT_EQ(200, client.right);  // the window takes the logo's size
        EXPECT_EQ(124, client.bottom);
        POINT corner{5, 5};
        ClientToScreen(main, &corner);
        EXPECT_EQ(RGB(255, 0, 0), GetPixel(TScreenDC(), corner.x, corner.y));  // a static colour
        Click(FindControl(main, kExit));
        EXPECT_EQ(0u, app.WaitForExit());
    }
}

TEST(EndToEndLogo, DamagedResourceFileIsReportedAndTheProgramEnds)
{
    TempFolder programs;
    std::string updater = programs.File("Za2Update.exe");
    ASSERT_TRUE(CopyFileA(UpdaterExe(ZA2_UPDATER_EXE).c_str(), updater.c_str(), FALSE));
    // An entry whose sizes are both 0 never advances: a damaged file.
    programs.Write("Za2Image.res", resfile::Start() + std::string(32, '\0'));
    AppUnderTest app(updater);
    MessageBoxSeen box = app.WaitForMessageBox();
    ASSERT_TRUE(box.window) << "the failure must be reported";
    EXPECT_EQ("ｽﾄﾘｰﾑからの読み込みｴﾗｰ.", box.text);
    EXPECT_EQ(kTitle, box.caption);
    app.Dismiss(box);
    EXPECT_NE(STILL_ACTIVE, app.WaitForExit()) << "the program ends cleanly";
}
