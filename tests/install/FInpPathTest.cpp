// The folder entry dialog against the real registry, environment and file system: the proposed
// folder, the start button and target folder after each change, and the version gate.
#include "install/FInpPath.h"

#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "support/SavedSettings.h"
#include "support/TempFolder.h"
#include "app/FMain.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/graphics/Bitmap.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char kInstallKey[] = "Zandera2.Application\\dstDir";
const char kInstallParentKey[] = "Zandera2.Application";
const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";
const char kAlreadyCurrent[] = "お使いのザンデラ2は、アップデートの必要がありません";
const char kCannotUpdate[] = "このザンデラ2を、アップデートすることはできません";

// The folder of a fake installed program built by the test build (see CMakeLists.txt).
std::string FakeFolder(const std::string& name)
{
    std::string unixPath = std::string(ZA2_FAKES_DIR) + "/" + name;
    char full[MAX_PATH];
    GetFullPathNameA(unixPath.c_str(), sizeof full, full, nullptr);
    return full;
}

class FInpPathTest : public FormTest {
protected:
    void TearDown() override
    {
        TargetFolder.clear();
        FormTest::TearDown();
    }
    std::vector<SeenBox> boxes_;
};

// --- Proposed folder ---

class DefaultFolderTest : public FInpPathTest {
protected:
    // The proposal of a new dialog; the boxes shown while it is made land in boxes_.
    std::string Proposal()
    {
        BoxWatcher watcher;
        TfrmInputPath dialog(nullptr);
        boxes_ = watcher.Boxes();
        enabled_ = dialog.BitBtn2->Enabled();
        return dialog.Edit1->Text();
    }
    SavedRegValue recorded_{HKEY_CLASSES_ROOT, kInstallKey, "", kInstallParentKey};
    SavedVariable variable_{"ProgramFiles"};
    SavedRegValue programFiles_{HKEY_LOCAL_MACHINE, kCurrentVersionKey, kProgramFilesValue};
    bool enabled_ = false;
};

TEST_F(DefaultFolderTest, RecordedFolderIsProposedExactlyAsStored)
{
    variable_.Set("C:\\Program Files");
    recorded_.SetText("D:\\Apps\\Z2");
    EXPECT_EQ("D:\\Apps\\Z2", Proposal());
    recorded_.SetText("D:\\Apps\\Z2\\");
    EXPECT_EQ("D:\\Apps\\Z2\\", Proposal());
    recorded_.SetText("");
    EXPECT_EQ("", Proposal()) << "an empty entry is still the recorded folder";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DefaultFolderTest, RecordedFolderTooLongForTheBufferFallsBack)
{
    variable_.Set("C:\\Program Files");
    recorded_.SetText("D:\\" + std::string(252, 'a'));  // 255 bytes: fits
    EXPECT_EQ(255u, Proposal().size());
    recorded_.SetText("D:\\" + std::string(253, 'a'));  // 256 bytes: does not
    EXPECT_EQ("C:\\Program Files\\ZANDERA2", Proposal());
}

TEST_F(DefaultFolderTest, ProgramFilesComesFromTheEnvironmentThenTheRegistry)
{
    variable_.Set("C:\\Program Files");
    programFiles_.SetText("E:\\Programs");
    EXPECT_EQ("C:\\Program Files\\ZANDERA2", Proposal());
    variable_.Remove();
    EXPECT_EQ("E:\\Programs\\ZANDERA2", Proposal());
    // An expansion longer than the buffer counts as no variable.
    variable_.Set("C:\\" + std::string(300, 'p'));
    EXPECT_EQ("E:\\Programs\\ZANDERA2", Proposal());
}

TEST_F(DefaultFolderTest, WithoutAnySourceTheSubFolderStandsAlone)
{
    variable_.Remove();
    programFiles_.Remove();
    EXPECT_EQ("\\ZANDERA2", Proposal());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DefaultFolderTest, NonTextProgramFilesDirIsReportedAndNothingIsProposed)
{
    variable_.Remove();
    DWORD number = 42;
    programFiles_.Set(REG_DWORD, &number, sizeof number);
    EXPECT_EQ("Edit1", Proposal());
    EXPECT_FALSE(enabled_);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_NE(std::string::npos, boxes_[0].text.find("ProgramFilesDir")) << boxes_[0].text;
    EXPECT_EQ(BoxWatcher::StopIcon(), boxes_[0].icon);
}

// --- Installed version ---

TEST(InstalledVersionTest, MinorAndReleaseCombineAndTheBuildIsIgnored)
{
    struct Row {
        const char* fake;
        int major, minor;
    } rows[] = {{"gate_2_0_1_999", 2, 1}, {"gate_2_0_10_0", 2, 10}, {"gate_2_1_0_0", 2, 10},
                {"gate_2_0_2_0", 2, 2},   {"gate_none", 0, 0}};
    for (const Row& row : rows) {
        int major = -1, minor = -1;
        GetInstalledVersion(FakeFolder(row.fake) + "\\Zandera2.exe", major, minor);
        EXPECT_EQ(row.major, major) << row.fake;
        EXPECT_EQ(row.minor, minor) << row.fake;
    }
    int major = -1, minor = -1;
    GetInstalledVersion(FakeFolder("gate_none") + "\\missing.exe", major, minor);
    EXPECT_EQ(0, major);
    EXPECT_EQ(0, minor);
}

// --- Folder text and start button ---

class FolderTextTest : public FInpPathTest {
protected:
    void Type(const std::string& text) { dialog_->SetFolder(text); }
    bool StartEnabled() const { return dialog_->BitBtn2->Enabled(); }
    void PutExe(const std::string& folder) const
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((FakeFolder("gate_2_0_1_0") + "\\Zandera2.exe").c_str(),
                              (folder + "\\Zandera2.exe").c_str(), FALSE));
    }
    // Asks the dialog to close as "開始" does; true when it may close.
    bool PressStart()
    {
        BoxWatcher watcher;
        dialog_->SetModalResult(mrOk);
        bool closes = false;
        try {
            closes = dialog_->CloseQuery();
        } catch (const std::exception& e) {
            app_->HandleException(dialog_.get(), e);  // as the modal loop does
        }
        boxes_ = watcher.Boxes();
        return closes;
    }
    void SetUp() override
    {
        FInpPathTest::SetUp();
        dialog_ = std::make_unique<TfrmInputPath>(nullptr);
    }
    void TearDown() override
    {
        dialog_.reset();
        FInpPathTest::TearDown();
    }
    TempFolder folder_;
    std::unique_ptr<TfrmInputPath> dialog_;
};

TEST_F(FolderTextTest, WithAndWithoutBackslashTheSameExecutableIsFound)
{
    PutExe(folder_.Path());
    Type(folder_.Path());
    EXPECT_EQ(folder_.File("Zandera2.exe"), dialog_->ExePath());
    EXPECT_EQ(folder_.Path(), TargetFolder);
    EXPECT_TRUE(StartEnabled());
    Type(folder_.Path() + "\\");
    EXPECT_EQ(folder_.File("Zandera2.exe"), dialog_->ExePath());
    EXPECT_EQ(folder_.Path() + "\\", TargetFolder) << "kept as typed";
    EXPECT_TRUE(StartEnabled());
    Type("");
    EXPECT_EQ("Zandera2.exe", dialog_->ExePath());
    EXPECT_EQ("", TargetFolder);
}

TEST_F(FolderTextTest, FolderEndingInDoubleByteBackslashGetsItsSeparator)
{
    const std::string folder = folder_.File("表");  // 0x95 0x5C
    PutExe(folder);
    Type(folder);
    EXPECT_EQ(folder + "\\Zandera2.exe", dialog_->ExePath());
    EXPECT_TRUE(StartEnabled());
}

TEST_F(FolderTextTest, FolderNamedLikeTheExecutableDoesNotCountAndClearsTheGlyph)
{
    CreateDirectoryA(folder_.File("Zandera2.exe").c_str(), nullptr);
    PutExe(folder_.File("other"));
    Type(folder_.File("other"));
    ASSERT_TRUE(StartEnabled());
    dialog_->BitBtn2->Glyph().SetSize(16, 16);
    Type(folder_.Path());
    EXPECT_FALSE(StartEnabled());
    EXPECT_TRUE(dialog_->BitBtn2->Glyph().Empty());
}

TEST_F(FolderTextTest, ExecutableGoneBeforeStartKeepsTheDialogOpenSilently)
{
    PutExe(folder_.Path());
    Type(folder_.Path());
    ASSERT_TRUE(StartEnabled());
    ASSERT_TRUE(DeleteFileA(folder_.File("Zandera2.exe").c_str()));
    EXPECT_FALSE(PressStart());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(StartEnabled());
}

TEST_F(FolderTextTest, VersionGateDecidesWhetherTheDialogCloses)
{
    struct Row {
        const char* fake;
        const char* warning;  // nullptr: closes with OK
    } rows[] = {{"gate_2_0_0_5", nullptr},        {"gate_2_0_1_999", nullptr},
                {"gate_2_0_2_0", kAlreadyCurrent}, {"gate_2_1_0_0", kAlreadyCurrent},
                {"gate_2_0_10_0", kAlreadyCurrent}, {"gate_1_5_0_0", kCannotUpdate},
                {"gate_3_0_0_0", kCannotUpdate},   {"gate_none", kCannotUpdate}};
    for (const Row& row : rows) {
        Type(FakeFolder(row.fake));
        ASSERT_TRUE(StartEnabled()) << row.fake;
        EXPECT_EQ(row.warning == nullptr, PressStart()) << row.fake;
        if (row.warning) {
            ASSERT_EQ(1u, boxes_.size()) << row.fake;
            EXPECT_EQ(row.warning, boxes_[0].text) << row.fake;
            EXPECT_EQ(BoxWatcher::ExclamationIcon(), boxes_[0].icon);
        } else {
            EXPECT_TRUE(boxes_.empty()) << row.fake;
        }
    }
}

TEST_F(FolderTextTest, ModalRunClosesWithOkOnlyThroughTheGateAndCancelsAtOnce)
{
    Type(FakeFolder("gate_2_0_1_0"));
    {
        ModalWatchdog watchdog;
        BoxWatcher watcher;
        PostMessageA(dialog_->BitBtn2->Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(mrOk, dialog_->ShowModal());
        EXPECT_TRUE(watcher.Boxes().empty());
        EXPECT_FALSE(watchdog.Fired());
    }
    Type(FakeFolder("gate_3_0_0_0"));
    for (bool closeBox : {false, true}) {
        ModalWatchdog watchdog;
        BoxWatcher watcher;
        if (closeBox)
            PostMessageA(dialog_->Handle(), WM_CLOSE, 0, 0);
        else
            PostMessageA(dialog_->BitBtn3->Handle(), BM_CLICK, 0, 0);
        EXPECT_NE(mrOk, dialog_->ShowModal());
        EXPECT_TRUE(watcher.Boxes().empty()) << "no version read on cancel";
        EXPECT_FALSE(watchdog.Fired());
    }
}

// --- An update cut short: its journal ---

// A journal of one line as the updater writes it.
std::string JournalOf(const std::string& line)
{
    return "ZA2UPDATE JOURNAL 1\r\n" + line + "\r\nEND\r\n";
}

// Cut short between moving the executable aside and putting the new one in: no Zandera2.exe,
// yet 開始 is enabled, and pressing it puts the old one back before the version gate.
TEST_F(FolderTextTest, StartPutsAnInterruptedUpdateBackBeforeTheGate)
{
    app_->CreateForm<TfrmMain>();  // its update list names the files a journal may name
    ASSERT_TRUE(CopyFileA((FakeFolder("gate_2_0_1_0") + "\\Zandera2.exe").c_str(),
                          folder_.File("ZA2B0000.TMP").c_str(), FALSE));
    folder_.Write("ZA2N0000.TMP", "new contents");
    folder_.Write("ZA2UPD.SWP", JournalOf("ZANDERA2.EXE ZA2N0000.TMP ZA2B0000.TMP"));
    Type(folder_.Path());
    EXPECT_TRUE(StartEnabled());
    EXPECT_TRUE(PressStart());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(std::vector<std::string>{"ZANDERA2.EXE"}, folder_.Names());
}

// Crafted journals, each one that a careless recovery would follow out of the updater's own
// files (its staged file is gone, so the target would be moved and then removed, or it names a
// folder): refused with one report naming it, and nothing is touched.
TEST_F(FolderTextTest, CraftedJournalsAreRefusedAndTouchNothing)
{
    app_->CreateForm<TfrmMain>();
    auto contents = [](const TempFolder& folder) {
        std::vector<std::string> all;
        for (const std::string& name : folder.Names())
            all.push_back(name + ": " + folder.Read(name));
        return all;
    };
    TempFolder outside;
    outside.Write("VICTIM.TXT", "not the updater's");
    const std::string outsideName = outside.Path().substr(outside.Path().rfind('\\') + 1);
    PutExe(folder_.Path());
    folder_.Write("OTHER.DOC", "not the updater's");
    folder_.Write("ZA2B0000.TMP", "old");
    CreateDirectoryA(folder_.File("ZA2N0001.TMP").c_str(), nullptr);
    const std::string own = " ZA2N0000.TMP ZA2B0000.TMP", whole = JournalOf("ZANDERA2.EXE" + own);
    const std::string rows[] = {
        JournalOf(outside.File("VICTIM.TXT") + own),
        JournalOf("..\\" + outsideName + "\\VICTIM.TXT" + own),
        JournalOf("ZANDERA2.EXE ZA2N0000.TMP NUL"),
        JournalOf("OTHER.DOC" + own),
        JournalOf("ZANDERA2.EXE." + own),
        JournalOf("ZANDERA2.EXE" + own + " "),
        JournalOf("ZANDERA2.EXE ZA2N0001.TMP ZA2B0001.TMP"),  // a folder
        whole.substr(0, whole.find("END")),  // cut short
        whole + std::string(1 << 20, ' '),
    };
    const std::string journal = folder_.File("ZA2UPD.SWP");
    Type(folder_.Path());
    for (const std::string& text : rows) {
        SCOPED_TRACE(text.substr(0, 120));
        folder_.Write("ZA2UPD.SWP", text);
        const std::vector<std::string> inside = contents(folder_), beside = contents(outside);
        EXPECT_FALSE(PressStart());
        EXPECT_EQ(inside, contents(folder_));
        EXPECT_EQ(beside, contents(outside));
        EXPECT_EQ(1u, boxes_.size());
        for (const SeenBox& box : boxes_) {
            EXPECT_EQ("ﾌｧｲﾙ " + journal + " を開けません.", box.text);
            EXPECT_EQ(BoxWatcher::StopIcon(), box.icon);
        }
    }
}

} // namespace
