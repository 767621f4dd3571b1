// The progress dialog's run into temporary folders: what lands on disk, the progress steps, and
// every failure with the text the user sees; any failure leaves the old installation whole.
#include "UpdateRunFixture.h"
#include "support/ShortDateSetting.h"
#include "app/FileSteps.h"
#include "app/LocalFileTime.h"
#include "app/UpdateJournal.h"
#include "app/UpdateRecovery.h"
#include "framework/core/Exception.h"
#include "framework/core/FileHandle.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstdlib>
#include <memory>

using namespace update_run;

namespace {

const char kUnexpected[] = "予期しないエラーが発生しました\r\n";

std::string CreateErrorText(const std::string& path)
{
    return kUnexpected + std::string("ﾌｧｲﾙ ") + path + " を作成できません";
}

// Another program's handle on the file, without sharing.
std::unique_ptr<TFileHandle> HoldOpen(const std::string& path)
{
    return std::make_unique<TFileHandle>(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

using FDoUpdateTest = UpdateRunTest;

} // namespace

TEST_F(FDoUpdateTest, WritesAndStampsAllFourFilesWithTwelveProgressSteps)
{
    folder_.Write("ZANDERA2.EXE", "old release");  // replaced
    folder_.Write("README.TXT", "old release, longer");
    ASSERT_EQ(mrOk, Run());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(12, maximum_);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), positions_);
    ExpectNewInstallation(folder_);

    // The stamp step on its own, as on a file written by someone else.
    folder_.Write("OTHER.TXT", "x");
    StampFile(TFileHandle(CreateFileA(folder_.File("OTHER.TXT").c_str(), GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr)).Get(),
              main_->TimeStamp());
    EXPECT_EQ(kReleaseStamp, LocalStamp(folder_.File("OTHER.TXT")));
}

TEST_F(FDoUpdateTest, FolderWithTrailingBackslashGivesTheSamePaths)
{
    TargetFolder = folder_.Path() + "\\";
    ASSERT_EQ(mrOk, Run());
    EXPECT_EQ(ReadFileBytes(kSamples[3]), folder_.Read("README.TXT"));
}

TEST_F(FDoUpdateTest, ReadOnlyHelpFileChangesNothingAndARetryThenSucceeds)
{
    InstallOld(folder_);
    std::string hlp = folder_.File("ZANDERA2.HLP");
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("ファイルが読み取り専用になっているためアップデートできません\r\n" + hlp,
              OnlyBoxText());
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(BoxWatcher::ExclamationIcon(), boxes_[0].icon);
    ExpectOldInstallation(folder_);

    // The user clears the attribute, as the report says, and tries again.
    SetFileAttributesA(hlp.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(mrOk, Run());
    EXPECT_TRUE(boxes_.empty());
    ExpectNewInstallation(folder_);
}

// A file that cannot be replaced, found before anything is written or only while the files are
// put in place: either way every file is as it was and no staged or backup file remains.
TEST_F(FDoUpdateTest, AFileThatCannotBeReplacedLeavesAllFourAsTheyWere)
{
    const std::string ppr = folder_.File("ZANDERA2.PPR");
    const std::string exe = folder_.File("ZANDERA2.EXE");
    struct Case {
        const char* what;
        std::string held;    // the file another program holds open
        int heldFrom;        // the progress position from which it is held (0: from the start)
    } cases[] = {
        {"PPR in use from the start", ppr, 0},
        // After its staging, while the files are put in place: EXE and HLP are in and must go
        // back.
        {"PPR in use only at the swap", ppr, 12},
        // The first file: nothing is in yet, the four staged files must go.
        {"EXE in use only at the swap", exe, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallOld(folder_);
        std::unique_ptr<TFileHandle> holder;
        if (c.heldFrom == 0)
            holder = HoldOpen(c.held);
        EXPECT_EQ(mrCancel, Run([&](int position) {
            if (position == c.heldFrom)
                holder = HoldOpen(c.held);
        }));
        ASSERT_TRUE(holder && *holder);
        holder.reset();
        EXPECT_EQ(CreateErrorText(c.held), OnlyBoxText());
        ExpectOldInstallation(folder_);
    }
}

// The first flush (the journal's) or the fourth (the third staged file's) fails: the run stops
// before any file is swapped.
TEST_F(FDoUpdateTest, AFailedFlushStopsTheRunBeforeAnythingIsSwapped)
{
    TScopeExit unobserved([] { SetFileStepObserver(nullptr); });
    for (int failing : {1, 4}) {
        SCOPED_TRACE(failing);
        InstallOld(folder_);
        int flushes = 0;
        SetFileStepObserver([&](TFileStep step, const std::string&) {
            return step != TFileStep::Flush || ++flushes != failing;
        });
        EXPECT_EQ(mrCancel, Run());
        EXPECT_EQ(kUnexpected + std::string("ｽﾄﾘｰﾑへの書き込みｴﾗｰ"), OnlyBoxText());
        ExpectOldInstallation(folder_);
    }
}

// PPR cannot be moved aside, and the new EXE already in cannot be moved back: the run fails,
// the journal stays, and once the files can be touched the next run finishes the roll-back.
TEST_F(FDoUpdateTest, ARollBackThatCannotFinishIsFinishedByTheNextRun)
{
    InstallOld(folder_);
    const std::string exe = folder_.File("ZANDERA2.EXE");
    const std::string ppr = folder_.File("ZANDERA2.PPR");
    std::unique_ptr<TFileHandle> newExe, oldPpr;
    TScopeExit unobserved([] { SetFileStepObserver(nullptr); });
    SetFileStepObserver([&](TFileStep step, const std::string& path) {
        if (step == TFileStep::Move && path == ppr && !oldPpr) {
            newExe = HoldOpen(exe);
            oldPpr = HoldOpen(ppr);
        }
        return true;
    });
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ(CreateErrorText(ppr), OnlyBoxText());
    EXPECT_TRUE(TUpdateJournal::Present(folder_.Path()));
    newExe.reset();
    oldPpr.reset();
    // Read-only, the new EXE could be moved back but its copy not removed: named, nothing touched.
    const std::vector<std::string> names(kNames, kNames + kFileCount), left = folder_.Names();
    SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        RecoverInterruptedUpdate(folder_.Path(), names);
        ADD_FAILURE() << "recovered around a read-only file";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("ファイルが読み取り専用になっているためアップデートできません\r\n" + exe, e.Message());
    }
    EXPECT_EQ(left, folder_.Names());
    SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
    RecoverInterruptedUpdate(folder_.Path(), names);
    ExpectOldInstallation(folder_);
}

// The longest folder in which the four files fit: with "\ZANDERA2.EXE" 259 characters, the most
// a path has. The updater's own names are no longer, and nothing shortens that limit.
TEST_F(FDoUpdateTest, TheLongestFolderTheFilesFitInIsUpdated)
{
    const std::string folder = folder_.File(std::string(246 - folder_.Path().size() - 1, 'd'));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    TargetFolder = folder;
    // Wine does not refuse longer paths: each one the update uses is checked here.
    TScopeExit unobserved([] { SetFileStepObserver(nullptr); });
    SetFileStepObserver([](TFileStep, const std::string& path) {
        EXPECT_GT(size_t(MAX_PATH), path.size()) << path;
        return true;
    });
    ASSERT_EQ(mrOk, Run());
    EXPECT_TRUE(boxes_.empty());
    for (int i = 0; i < kFileCount; ++i)
        EXPECT_EQ(ReadFileBytes(kSamples[i]), ReadFileBytes(folder + "\\" + kNames[i]));
}

TEST_F(FDoUpdateTest, MissingTargetFolderIsACreateError)
{
    TargetFolder = folder_.File("gone");
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ(CreateErrorText(folder_.File("gone\\ZANDERA2.EXE")), OnlyBoxText());
}

TEST_F(FDoUpdateTest, FullDiskLeavesTheInstallationAsItWas)
{
    const char* disk = std::getenv("ZA2_FULL_DISK");
    if (!disk || !*disk)
        GTEST_SKIP() << "no small disk mounted (ZA2_FULL_DISK unset)";
    TempFolder small(disk);
    TargetFolder = small.Path();
    InstallOld(small);
    // Leave less room than the executable needs.
    small.Write("FILLER", std::string(500 * 1024, 'f'));
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ(kUnexpected + std::string("ｽﾄﾘｰﾑへの書き込みｴﾗｰ"), OnlyBoxText());
    ExpectOldInstallation(small, {"FILLER"});
}

// The release stamp is the release's own constant: any user's date format gives the same day.
TEST_F(FDoUpdateTest, EveryDateFormatStampsTheSameReleaseTime)
{
    const struct {
        const char* format;
        const char* separator;
    } formats[] = {{"dd/MM/yyyy", "/"}, {"M/d/yyyy", "/"}, {"dd.MM.yyyy", "."}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        ShortDateSetting setting(f.format, f.separator);
        InstallOld(folder_);
        EXPECT_EQ(mrOk, Run());
        EXPECT_TRUE(boxes_.empty());
        ExpectNewInstallation(folder_);
    }
}

// Run by the test app_tests_dst_zone in a zone of standard time UTC+1 whose summer time
// (UTC+2) runs from the fourth Sunday of January to the last Sunday of December: the stamp must
// take the offset of its own date (standard time on 15 January), not today's.
TEST_F(FDoUpdateTest, DaylightSavingZoneStampsWithTheOffsetOfTheStampsDate)
{
    if (!std::getenv("ZA2_DST_TEST_ZONE"))
        GTEST_SKIP() << "runs in its own zone (test app_tests_dst_zone)";
    TIME_ZONE_INFORMATION zone = {};
    const DWORD today = GetTimeZoneInformation(&zone);
    ASSERT_NE(TIME_ZONE_ID_UNKNOWN, today) << "Wine took no daylight-saving rule from TZ";
    ASSERT_EQ(-60, zone.Bias + zone.StandardBias);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wMonth != 1 && !(now.wMonth == 12 && now.wDay >= 25)) {
        EXPECT_EQ(TIME_ZONE_ID_DAYLIGHT, today) << "today's offset is not the stamp date's";
    }
    ASSERT_EQ(mrOk, Run());
    for (const char* name : kNames) {
        FILETIME written = LastWriteTime(folder_.File(name));
        SYSTEMTIME utc = {};
        FileTimeToSystemTime(&written, &utc);
        EXPECT_EQ((std::vector<int>{2000, 1, 15, 1, 2, 0}),
                  (std::vector<int>{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute,
                                    utc.wSecond}))
            << name;
    }
}

// Where the dated conversion is missing (Windows 95/98, NT 4) today's offset applies: the UTC
// stamp is the local one plus today's bias, not minus.
TEST_F(FDoUpdateTest, DaylightSavingZoneWithoutTheDatedConversionTakesTodaysOffset)
{
    if (!std::getenv("ZA2_DST_TEST_ZONE"))
        GTEST_SKIP() << "runs in its own zone (test app_tests_dst_zone)";
    TIME_ZONE_INFORMATION zone = {};
    const bool daylight = GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT;
    const LONGLONG biasMinutes = zone.Bias + (daylight ? zone.DaylightBias : zone.StandardBias);
    ASSERT_NE(0, biasMinutes);
    const SYSTEMTIME local = {2000, 1, 6, 15, 2, 2, 0, 0};
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalToFileTime(main_->TimeStamp(), utc, nullptr));
    auto minutes = [](FILETIME t) {
        const LONGLONG kTicksPerMinute = 600000000;
        return (LONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime) / kTicksPerMinute;
    };
    EXPECT_EQ(minutes(localTime) + biasMinutes, minutes(utc));
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
