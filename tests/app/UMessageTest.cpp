#include "app/UMessage.h"

#include "support/BoxWatcher.h"
#include "framework/ui/Application.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kTitle[] = "ザンデラ2.02アップデータ";

HWND MakeVisibleWindow()
{
    HWND w = CreateWindowExA(0, "STATIC", "probe", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    SetActiveWindow(w);
    return w;
}

class UMessageTest : public testing::Test {
protected:
    void SetUp() override
    {
        app_ = std::make_unique<TApplication>();
        app_->SetTitle(kTitle);
    }
    std::unique_ptr<TApplication> app_;
};

} // namespace

TEST(UMessageWithoutApplication, BoxHasNoOwnerAndNoCaption)
{
    ASSERT_EQ(nullptr, Application);
    BoxWatcher watcher;
    NoticeBox("notice");
    auto boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(nullptr, boxes[0].owner);
    EXPECT_EQ("notice", boxes[0].text);
}

TEST_F(UMessageTest, WarningAndNoticeShowTextCaptionAndIcon)
{
    BoxWatcher watcher;
    WarningBox("アップデート処理に失敗しました");
    NoticeBox("アップデートは正常に終了しました");
    auto boxes = watcher.Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("アップデート処理に失敗しました", boxes[0].text);
    EXPECT_EQ(kTitle, boxes[0].caption);
    EXPECT_EQ(BoxWatcher::ExclamationIcon(), boxes[0].icon);
    EXPECT_EQ(app_->Handle(), boxes[0].owner);
    EXPECT_EQ("アップデートは正常に終了しました", boxes[1].text);
    EXPECT_EQ(kTitle, boxes[1].caption);
    EXPECT_EQ(nullptr, boxes[1].icon);
    EXPECT_EQ(kTitle, MessageCaption());
}

TEST_F(UMessageTest, LongTextsAreCutAtACharacterBoundary)
{
    BoxWatcher watcher;
    WarningBox(std::string(300, 'x'));
    // 254 single bytes then a double-byte character: only 254 bytes fit whole.
    WarningBox(std::string(254, 'y') + "表表");
    auto boxes = watcher.Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(std::string(255, 'x'), boxes[0].text);
    EXPECT_EQ(std::string(254, 'y'), boxes[1].text);
}

TEST_F(UMessageTest, OtherWindowsAreDisabledWhileTheBoxIsUp)
{
    HWND window = MakeVisibleWindow();
    HWND hidden = CreateWindowExA(0, "STATIC", "hidden", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    bool enabledDuring = true;
    bool hiddenEnabledDuring = false;
    {
        BoxWatcher watcher([&](HWND) {
            enabledDuring = IsWindowEnabled(window) != FALSE;
            hiddenEnabledDuring = IsWindowEnabled(hidden) != FALSE;
        });
        NoticeBox("wait");
        ASSERT_EQ(1u, watcher.Boxes().size());
    }
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(hiddenEnabledDuring); // only visible windows are disabled
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(window, GetActiveWindow());
    DestroyWindow(hidden);
    DestroyWindow(window);
}

TEST_F(UMessageTest, StandardReportAddsFullStopAndUsesStopIcon)
{
    BoxWatcher watcher;
    app_->HandleException(nullptr, Exception("error"));
    app_->HandleException(nullptr, Exception("done."));
    app_->HandleException(nullptr, EAbort());
    app_->HandleException(nullptr, Exception(std::string(300, 'z')));
    auto boxes = watcher.Boxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ("error.", boxes[0].text);
    EXPECT_EQ(BoxWatcher::StopIcon(), boxes[0].icon);
    EXPECT_EQ(kTitle, boxes[0].caption);
    EXPECT_EQ("done.", boxes[1].text);
    EXPECT_EQ(std::string(300, 'z') + ".", boxes[2].text); // the report is never cut
}
