// The progress dialog's run into temporary folders: what lands on disk, the progress steps, and
// every failure with the text the user sees.
#include "app/FDoUpdate.h"
#include "app/FMain.h"
#include "framework/Exception.h"
#include "framework/ProgressBar.h"
#include "framework/Stream.h"
#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "support/ShortDateSetting.h"
#include "support/TempFolder.h"

#include "PayloadFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const char* const kNames[] = {"ZANDERA2.EXE", "ZANDERA2.HLP", "ZANDERA2.PPR", "README.TXT"};
const char* const kSamples[] = {ZA2_PAYLOAD_FILE_ZANDERA2_EXE, ZA2_PAYLOAD_FILE_ZANDERA2_HLP,
                                ZA2_PAYLOAD_FILE_ZANDERA2_PPR, ZA2_PAYLOAD_FILE_README_TXT};
const std::string kOld = "old release";

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The release stamp, 2000-01-15 02:02:00 local time, as the file system keeps it.
FILETIME ReleaseTimeUtc()
{
    SYSTEMTIME local = {};
    local.wYear = 2000;
    local.wMonth = 1;
    local.wDay = 15;
    local.wHour = 2;
    local.wMinute = 2;
    FILETIME localTime, utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    return utc;
}

FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

class TRecordingDoUpdate : public TfrmDoUpdate {
public:
    using TfrmDoUpdate::TfrmDoUpdate;
    std::vector<int> positions;
    int maximum = 0;

protected:
    void ShowProgress(int position) override
    {
        positions.push_back(position);
        maximum = ProgressBar1->Max();
        TfrmDoUpdate::ShowProgress(position);
    }
};

class FDoUpdateTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        app_->SetTitle("ザンデラ2.02アップデータ");
        main_ = app_->CreateForm<TfrmMain>();
        TargetFolder = folder_.Path();
    }
    void TearDown() override
    {
        TargetFolder.clear();
        FormTest::TearDown();
    }

    // Shows the dialog as the main window does; the boxes it shows are read and closed.
    TModalResult Run()
    {
        ModalWatchdog watchdog;
        BoxWatcher watcher;
        TRecordingDoUpdate dialog(main_);
        TModalResult result = dialog.ShowModal();
        positions_ = dialog.positions;
        maximum_ = dialog.maximum;
        boxes_ = watcher.Boxes();
        EXPECT_FALSE(watchdog.Fired());
        EXPECT_FALSE(app_->OnException()) << "the dialog's report must be removed on close";
        return result;
    }
    std::string OnlyBoxText() const
    {
        EXPECT_EQ(1u, boxes_.size());
        return boxes_.empty() ? std::string() : boxes_[0].text;
    }

    TempFolder folder_;
    TfrmMain* main_ = nullptr;
    std::vector<int> positions_;
    int maximum_ = 0;
    std::vector<SeenBox> boxes_;
};

} // namespace

TEST_F(FDoUpdateTest, WritesAndStampsAllFourFilesWithTwelveProgressSteps)
{
    folder_.Write("ZANDERA2.EXE", kOld);  // replaced
    folder_.Write("README.TXT", kOld + kOld);
    ASSERT_EQ(mrOk, Run());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(12, maximum_);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), positions_);
    for (int i = 0; i < 4; ++i) {
        std::string path = folder_.File(kNames[i]);
        EXPECT_EQ(ReadFileBytes(kSamples[i]), folder_.Read(kNames[i])) << kNames[i];
        EXPECT_TRUE(SameTime(ReleaseTimeUtc(), LastWriteTime(path))) << kNames[i];
    }
    EXPECT_EQ(4u, folder_.Names().size()); // no temporary file left
}

TEST_F(FDoUpdateTest, FolderWithTrailingBackslashGivesTheSamePaths)
{
    TargetFolder = folder_.Path() + "\\";
    ASSERT_EQ(mrOk, Run());
    EXPECT_EQ(ReadFileBytes(kSamples[3]), folder_.Read("README.TXT"));
}

TEST_F(FDoUpdateTest, ReadOnlyHelpFileStopsAfterTheExecutable)
{
    folder_.Write("ZANDERA2.HLP", kOld);
    folder_.Write("ZANDERA2.PPR", kOld);
    std::string hlp = folder_.File("ZANDERA2.HLP");
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("ファイルが読み取り専用になっているためアップデートできません\r\n" + hlp,
              OnlyBoxText());
    EXPECT_EQ(BoxWatcher::ExclamationIcon(), boxes_[0].icon);
    EXPECT_EQ(ReadFileBytes(kSamples[0]), folder_.Read("ZANDERA2.EXE"));
    EXPECT_TRUE(SameTime(ReleaseTimeUtc(), LastWriteTime(folder_.File("ZANDERA2.EXE"))));
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.HLP"));
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.PPR"));
    EXPECT_EQ(3u, folder_.Names().size()); // README.TXT not created
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FDoUpdateTest, FileInUseKeepsItsOldBytes)
{
    folder_.Write("ZANDERA2.PPR", kOld);
    std::string ppr = folder_.File("ZANDERA2.PPR");
    HANDLE held = CreateFileA(ppr.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(mrCancel, Run());
    CloseHandle(held);
    EXPECT_EQ("予期しないエラーが発生しました\r\nﾌｧｲﾙ " + ppr + " を作成できません", OnlyBoxText());
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.PPR"));
    EXPECT_EQ((std::vector<std::string>{"ZANDERA2.EXE", "ZANDERA2.HLP", "ZANDERA2.PPR"}),
              folder_.Names());
}

TEST_F(FDoUpdateTest, MissingTargetFolderIsACreateError)
{
    TargetFolder = folder_.File("gone");
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("予期しないエラーが発生しました\r\nﾌｧｲﾙ " + folder_.File("gone\\ZANDERA2.EXE")
                  + " を作成できません",
              OnlyBoxText());
}

TEST_F(FDoUpdateTest, DayFirstLocaleWritesNothing)
{
    folder_.Write("ZANDERA2.EXE", kOld);
    ShortDateSetting dayFirst("dd/MM/yyyy", "/");
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("予期しないエラーが発生しました\r\n'00/01/15 02:02:00' は日付または時刻ではありません",
              OnlyBoxText());
    EXPECT_EQ(kOld, folder_.Read("ZANDERA2.EXE"));
    EXPECT_EQ(std::vector<std::string>{"ZANDERA2.EXE"}, folder_.Names());
}

TEST_F(FDoUpdateTest, FullDiskLeavesTheInstalledFileIntact)
{
    const char* disk = std::getenv("ZA2_FULL_DISK");
    if (!disk || !*disk)
        GTEST_SKIP() << "no small disk mounted (ZA2_FULL_DISK unset)";
    TempFolder small(disk);
    TargetFolder = small.Path();
    small.Write("ZANDERA2.EXE", kOld);
    // Leave less room than the executable needs.
    std::string filler(500 * 1024, 'f');
    small.Write("FILLER", filler);
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("予期しないエラーが発生しました\r\nｽﾄﾘｰﾑへの書き込みｴﾗｰ", OnlyBoxText());
    EXPECT_EQ(kOld, small.Read("ZANDERA2.EXE"));
    EXPECT_EQ((std::vector<std::string>{"FILLER", "ZANDERA2.EXE"}), small.Names());
}

TEST_F(FDoUpdateTest, ReadPayloadCopiesPlainResourcesAndNamesMissingOnes)
{
    TfrmDoUpdate dialog(main_);
    TMemoryStream plain;
    dialog.ReadPayload(plain, "PLAIN_DATA", RT_RCDATA);
    std::string bytes(static_cast<const char*>(plain.Memory()), plain.Size());
    EXPECT_EQ("stored as it is, no container\n", bytes);

    const std::string readme = ReadFileBytes(kSamples[3]);
    TMemoryStream whole;
    dialog.ReadPayload(whole, "README_TXT", RT_RCDATA);
    EXPECT_EQ(readme, std::string(static_cast<const char*>(whole.Memory()), whole.Size()));
    EXPECT_EQ(whole.Size(), whole.Position()) << "positioned after the bytes, as after a copy";

    TMemoryStream decoded;
    decoded.WriteBuffer("x", 1); // appended after what is there
    dialog.ReadPayload(decoded, "README_TXT", RT_RCDATA);
    EXPECT_EQ("x" + readme, std::string(static_cast<const char*>(decoded.Memory()), decoded.Size()));

    try {
        dialog.ReadPayload(decoded, "NO_SUCH_TXT", RT_RCDATA);
        FAIL() << "a missing resource must fail";
    } catch (const EResNotFound& e) {
        EXPECT_EQ("NO_SUCH_TXT ﾘｿｰｽが見つかりません", e.Message());
    }
}
