// The main window: its layout, its data (update list, time stamp) and the update sequence with
// test dialogs in place of the folder entry and progress dialogs.
#include "app/FMain.h"

#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "support/ShortDateSetting.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Button.h"
#include "framework/ui/ImageControl.h"
#include "framework/ui/Label.h"
#include "framework/graphics/Bitmap.h"
#include "framework/core/Exception.h"

#include <gtest/gtest.h>

namespace {

const char kTitle[] = "ザンデラ2.02アップデータ";

// A dialog that closes itself with a fixed result as soon as it is shown, noting what it saw.
class TTestDialog : public TForm {
public:
    TTestDialog(TComponent* owner, TModalResult result, std::vector<std::string>& log,
                std::string name)
        : TForm(owner), result_(result), log_(log), name_(std::move(name))
    {
        AddHandler("FormShow", &TTestDialog::FormShow);
        ReadLayout(*this, "form dlgTest\n    ClientWidth = 120\n    ClientHeight = 40\n"
                          "    OnShow = FormShow\n",
                          "TESTDIALOG");
    }
    ~TTestDialog() override { log_.push_back(name_ + " destroyed"); }

    void FormShow(TObject*)
    {
        bool buttonsShown = IsWindowVisible(frmMain->btnSetup->Handle())
                            || IsWindowVisible(frmMain->btnAbort->Handle());
        log_.push_back(name_ + (buttonsShown ? " buttons shown" : " buttons hidden")
                       + (Owner() == frmMain ? " owned" : " not owned"));
        if (name_ == "failing")
            throw Exception("cannot show");
        SetModalResult(result_);
    }

private:
    TModalResult result_;
    std::vector<std::string>& log_;
    std::string name_;
};

class FMainTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        savedInput_ = TfrmMain::InputPathDialog;
        savedDoUpdate_ = TfrmMain::DoUpdateDialog;
        TargetFolder.clear();
        main_ = app_->CreateForm<TfrmMain>();
        main_->Show();
    }
    void TearDown() override
    {
        TfrmMain::InputPathDialog = savedInput_;
        TfrmMain::DoUpdateDialog = savedDoUpdate_;
        FormTest::TearDown();
    }

    TFormFactory Dialog(TModalResult result, const std::string& name)
    {
        return [this, result, name](TComponent* owner) {
            return std::unique_ptr<TForm>(new TTestDialog(owner, result, log_, name));
        };
    }
    void PressUpdate() { SendMessageA(main_->btnSetup->Handle(), BM_CLICK, 0, 0); }
    bool ButtonsShown() const
    {
        return IsWindowVisible(main_->btnSetup->Handle())
               && IsWindowVisible(main_->btnAbort->Handle());
    }

    TfrmMain* main_ = nullptr;
    std::vector<std::string> log_;
    TFormFactory savedInput_;
    TFormFactory savedDoUpdate_;
};

RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST_F(FMainTest, WindowFollowsItsLayout)
{
    HWND window = main_->Handle();
    EXPECT_EQ(main_, frmMain);
    EXPECT_EQ(kTitle, TextOf(window));
    SIZE client = ClientSizeOf(window);
    EXPECT_EQ(400, client.cx);
    EXPECT_EQ(248, client.cy);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(TBrushStyle::Clear, main_->Brush().Style());

    HWND setup = ChildWithText(window, "アップデート");
    HWND abort = ChildWithText(window, "終了");
    ASSERT_EQ(main_->btnSetup->Handle(), setup);
    ASSERT_EQ(main_->btnAbort->Handle(), abort);
    RECT r = ChildRect(window, setup);
    EXPECT_EQ(44, r.left);
    EXPECT_EQ(174, r.top);
    EXPECT_EQ(114, r.right - r.left);
    EXPECT_EQ(43, r.bottom - r.top);
    EXPECT_EQ(244, ChildRect(window, abort).left);
    EXPECT_TRUE(main_->btnSetup->Default());
    EXPECT_TRUE(main_->btnAbort->Cancel());
    EXPECT_EQ(setup, GetFocus());  // the update button has the focus at the start
    EXPECT_EQ(abort, GetNextDlgTabItem(window, nullptr, FALSE));  // tab order 0
    EXPECT_EQ(0, main_->Image1->Left());
    EXPECT_EQ(400, main_->Image1->Width());
    EXPECT_EQ(248, main_->Image1->Height());
    EXPECT_EQ(nullptr, main_->GetPalette());

    ASSERT_EQ(4, main_->UpdateCount());
    EXPECT_EQ("ZANDERA2.EXE", main_->UpdateItem(0));
    EXPECT_EQ("ZANDERA2.HLP", main_->UpdateItem(1));
    EXPECT_EQ("ZANDERA2.PPR", main_->UpdateItem(2));
    EXPECT_EQ("README.TXT", main_->UpdateItem(3));
    EXPECT_TRUE(TargetFolder.empty());
}

TEST_F(FMainTest, TimeStampIsTheSameUnderEveryDateFormat)
{
    const struct {
        const char* format;
        const char* separator;
    } formats[] = {{"yyyy/MM/dd", "/"}, {"dd/MM/yyyy", "/"}, {"M/d/yyyy", "/"},
                   {"dd.MM.yyyy", "."}};
    for (const auto& f : formats) {
        ShortDateSetting setting(f.format, f.separator);
        EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 15) + EncodeTime(2, 2, 0, 0), main_->TimeStamp())
            << f.format;
    }
    main_->lblTimeStamp->SetCaption("00/13/15 02:02:00");
    try {
        main_->TimeStamp();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ("'00/13/15 02:02:00' は日付または時刻ではありません", e.Message());
    }
}

TEST_F(FMainTest, CancelledFolderEntryReturnsToIdleSilently)
{
    TfrmMain::InputPathDialog = Dialog(mrCancel, "input");
    TfrmMain::DoUpdateDialog = Dialog(mrOk, "run");
    BoxWatcher watcher;
    PressUpdate();
    EXPECT_EQ((std::vector<std::string>{"input buttons hidden owned", "input destroyed"}), log_);
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_TRUE(ButtonsShown());
    app_->ProcessMessages();
    EXPECT_FALSE(app_->Terminated());
}

TEST_F(FMainTest, FailedUpdateWarnsAndStaysOpen)
{
    TfrmMain::InputPathDialog = Dialog(mrOk, "input");
    TfrmMain::DoUpdateDialog = Dialog(mrCancel, "run");
    BoxWatcher watcher;
    PressUpdate();
    EXPECT_EQ((std::vector<std::string>{"input buttons hidden owned", "input destroyed",
                                        "run buttons hidden owned", "run destroyed"}),
              log_);
    auto boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("アップデート処理に失敗しました", boxes[0].text);
    EXPECT_EQ(BoxWatcher::ExclamationIcon(), boxes[0].icon);
    EXPECT_EQ(kTitle, boxes[0].caption);
    EXPECT_TRUE(ButtonsShown());
    app_->ProcessMessages();
    EXPECT_FALSE(app_->Terminated());
    EXPECT_TRUE(IsWindowVisible(main_->Handle()));
}

// Keyboard only: Enter on the update button runs the sequence; once the window is idle again
// (the folder dialog cancelled; the update failed, its warning dismissed) the button has the
// focus back, or Tab would start from nowhere.
TEST_F(FMainTest, UpdateButtonHasTheFocusBackWhenTheWindowIsIdleAgain)
{
    TfrmMain::DoUpdateDialog = Dialog(mrCancel, "run");
    for (TModalResult folderDialog : {mrCancel, mrOk}) {
        TfrmMain::InputPathDialog = Dialog(folderDialog, "input");
        BoxWatcher watcher;
        PostMessageA(main_->btnSetup->Handle(), WM_KEYDOWN, VK_RETURN, 1);
        app_->ProcessMessages();
        EXPECT_EQ(main_->btnSetup->Handle(), GetFocus()) << "folder dialog result " << folderDialog;
    }
}

TEST_F(FMainTest, SuccessfulUpdateNoticesAndThenCloses)
{
    TfrmMain::InputPathDialog = Dialog(mrOk, "input");
    TfrmMain::DoUpdateDialog = Dialog(mrOk, "run");
    BoxWatcher watcher;
    PressUpdate();
    auto boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("アップデートは正常に終了しました", boxes[0].text);
    EXPECT_EQ(nullptr, boxes[0].icon);
    // The close is only posted: the handler has shown the buttons again first.
    EXPECT_TRUE(ButtonsShown());
    EXPECT_FALSE(app_->Terminated());
    app_->ProcessMessages();
    EXPECT_TRUE(app_->Terminated());
    EXPECT_FALSE(IsWindowVisible(main_->Handle()));
}

TEST_F(FMainTest, DialogIsDestroyedWhenShowingFails)
{
    TfrmMain::InputPathDialog = Dialog(mrOk, "failing");
    std::vector<std::string> reported;
    app_->SetOnException([&](TObject*, const std::exception& e) { reported.push_back(e.what()); });
    PressUpdate();  // the click handler's failure reaches the application's report
    EXPECT_EQ((std::vector<std::string>{"failing buttons hidden owned", "failing destroyed"}),
              log_);
    EXPECT_EQ(std::vector<std::string>{"cannot show"}, reported);
    EXPECT_TRUE(ButtonsShown());
    EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
}

TEST_F(FMainTest, ExitButtonEndsTheProgram)
{
    SendMessageA(main_->btnAbort->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(app_->Terminated());
}
