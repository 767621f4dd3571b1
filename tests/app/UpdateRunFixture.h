#pragma once
// The progress dialog shown as the main window shows it, into a temporary folder that holds an
// old installation; shared by the update run's test programs.
#include "PayloadFiles.h"
#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "support/TempFolder.h"
#include "app/FDoUpdate.h"
#include "app/FMain.h"
#include "framework/ui/ProgressBar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace update_run {

const char* const kNames[] = {ZA2_PAYLOAD_NAMES};
const char* const kSamples[] = {ZA2_PAYLOAD_SOURCES};
const int kFileCount = static_cast<int>(std::size(kNames));

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The installed release's bytes of a file: different for each file.
inline std::string OldBytes(const std::string& name)
{
    return "old release of " + name;
}

inline FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// The file's last-write time as local time of the zone's rule for that date, "yyyy-mm-dd hh:mm:ss".
inline std::string LocalStamp(const std::string& path)
{
    FILETIME utc = LastWriteTime(path);
    SYSTEMTIME utcTime = {}, local = {};
    FileTimeToSystemTime(&utc, &utcTime);
    SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
              local.wHour, local.wMinute, local.wSecond);
    return text;
}

const char kReleaseStamp[] = "2000-01-15 02:02:00";

class TRecordingDoUpdate : public TfrmDoUpdate {
public:
    using TfrmDoUpdate::TfrmDoUpdate;
    std::vector<int> positions;
    int maximum = 0;
    std::function<void(int)> atPosition;

protected:
    void ShowProgress(int position) override
    {
        positions.push_back(position);
        maximum = ProgressBar1->Max();
        if (atPosition)
            atPosition(position);
        TfrmDoUpdate::ShowProgress(position);
    }
};

class UpdateRunTest : public FormTest {
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
    TModalResult Run(std::function<void(int)> atPosition = {})
    {
        ModalWatchdog watchdog;
        BoxWatcher watcher;
        TRecordingDoUpdate dialog(main_);
        dialog.atPosition = atPosition;
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

    void InstallOld(const TempFolder& folder) const
    {
        for (const char* name : kNames)
            folder.Write(name, OldBytes(name));
    }
    // The old installation byte for byte, and not one other file beside it.
    void ExpectOldInstallation(const TempFolder& folder, const std::vector<std::string>& others = {}) const
    {
        for (const char* name : kNames)
            EXPECT_EQ(OldBytes(name), folder.Read(name)) << name;
        std::vector<std::string> names(std::begin(kNames), std::end(kNames));
        names.insert(names.end(), others.begin(), others.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, folder.Names());
    }
    void ExpectNewInstallation(const TempFolder& folder) const
    {
        for (int i = 0; i < kFileCount; ++i) {
            EXPECT_EQ(ReadFileBytes(kSamples[i]), folder.Read(kNames[i])) << kNames[i];
            EXPECT_EQ(kReleaseStamp, LocalStamp(folder.File(kNames[i]))) << kNames[i];
        }
        EXPECT_EQ(std::size(kNames), folder.Names().size()) << "no staged or backup file left";
    }

    TempFolder folder_;
    TfrmMain* main_ = nullptr;
    std::vector<int> positions_;
    int maximum_ = 0;
    std::vector<SeenBox> boxes_;
};

} // namespace update_run
