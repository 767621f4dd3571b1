// Forms at run time: the modal loop, the close query, the dialog keys, mouse messages for
// controls without a window, and failures of handlers reaching the application's report.
#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/ui/Label.h"

#include <gtest/gtest.h>

namespace {

const char kModalLayout[] = R"LAYOUT(form frmModal
    BorderStyle  = Dialog
    Position     = ScreenCenter
    ClientWidth  = 300
    ClientHeight = 120
    ActiveControl = Edit1
    OnCloseQuery = FormCloseQuery

TEdit Edit1
    Bounds   = [10, 10, 200, 20]
    TabOrder = 0

TBitBtn btnOk
    Bounds      = [10, 60, 100, 40]
    Caption     = "OK"
    Default     = true
    ModalResult = Ok
    OnClick     = OkClick

TBitBtn btnCancel
    Bounds      = [150, 60, 100, 40]
    Caption     = "キャンセル"
    Cancel      = true
    ModalResult = Cancel
)LAYOUT";

class TModalForm : public TForm {
public:
    explicit TModalForm(TComponent* owner) : TForm(owner)
    {
        AddHandler("FormCloseQuery", &TModalForm::FormCloseQuery);
        AddHandler("OkClick", &TModalForm::OkClick);
        AddField("Edit1", Edit1);
        AddField("btnOk", btnOk);
        AddField("btnCancel", btnCancel);
        ReadLayout(*this, kModalLayout, "MODAL");
    }
    void FormCloseQuery(TObject*, bool& canClose)
    {
        queriedResults.push_back(ModalResult());
        canClose = refusals == 0;
        if (refusals > 0)
            --refusals;
    }
    void OkClick(TObject*)
    {
        ++okClicks;
        if (onOk)
            onOk();
    }
    void PostKey(WPARAM key) { PostMessageA(Edit1->Handle(), WM_KEYDOWN, key, 1); }

    TEdit* Edit1 = nullptr;
    TBitBtn* btnOk = nullptr;
    TBitBtn* btnCancel = nullptr;
    int refusals = 0;
    int okClicks = 0;
    std::vector<TModalResult> queriedResults;
    std::function<void()> onOk;
};

class ModalTest : public FormTest {};

} // namespace

TEST_F(ModalTest, ButtonEndsTheLoopWithItsResultWhileOtherWindowsAreDisabled)
{
    TModalForm owner(nullptr);
    owner.Show();
    TModalForm dialog(&owner);
    bool ownerEnabledDuring = true;
    dialog.onOk = [&] { ownerEnabledDuring = IsWindowEnabled(owner.Handle()) != FALSE; };
    ModalWatchdog watchdog;
    PostMessageA(dialog.btnOk->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrOk, dialog.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(1, dialog.okClicks);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(owner.Handle(), GetWindow(dialog.Handle(), GW_OWNER));
    // Shown once more, the form starts without a result.
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(mrCancel, dialog.ShowModal());
}

TEST_F(ModalTest, RefusedCloseResetsTheResultAndKeepsTheFormOpen)
{
    TModalForm dialog(nullptr);
    dialog.refusals = 1;
    ModalWatchdog watchdog;
    dialog.PostKey(VK_ESCAPE);  // refused
    dialog.PostKey(VK_RETURN);  // the default button: OK, allowed
    EXPECT_EQ(mrOk, dialog.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ((std::vector<TModalResult>{mrCancel, mrOk}), dialog.queriedResults);
    EXPECT_EQ(1, dialog.okClicks);
}

TEST_F(ModalTest, EnterPressesOnlyAnEnabledDefaultButtonAndEscTheCancelButton)
{
    TModalForm dialog(nullptr);
    dialog.btnOk->SetEnabled(false);
    ModalWatchdog watchdog;
    dialog.PostKey(VK_RETURN);  // nothing: the default button is disabled
    dialog.PostKey(VK_ESCAPE);
    EXPECT_EQ(mrCancel, dialog.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(0, dialog.okClicks);
    EXPECT_EQ(1u, dialog.queriedResults.size());
}

TEST_F(ModalTest, AccessKeysFocusTheLabelsControlOrPressTheButton)
{
    TModalForm dialog(nullptr);
    auto* label = new TLabel(&dialog);
    label->SetParent(&dialog);
    label->SetCaption("フォルダ(&F)");
    label->SetFocusControl(dialog.Edit1);
    dialog.btnCancel->SetCaption("いいえ(&N)");
    dialog.Show();
    dialog.btnOk->SetFocus();
    MSG alt{dialog.btnOk->Handle(), WM_SYSCHAR, 'f', 0, 0, {}};
    EXPECT_TRUE(dialog.HandleDialogKey(alt));
    EXPECT_EQ(dialog.Edit1->Handle(), GetFocus());
    alt.wParam = 'n';
    EXPECT_TRUE(dialog.HandleDialogKey(alt));
    EXPECT_EQ(mrCancel, dialog.ModalResult());
    alt.wParam = 'z';
    EXPECT_FALSE(dialog.HandleDialogKey(alt));
    // Without Alt the letter is text in the edit box, and an access key from a button.
    dialog.SetModalResult(mrNone);
    dialog.Edit1->SetFocus();
    MSG bare{dialog.Edit1->Handle(), WM_CHAR, 'n', 0, 0, {}};
    EXPECT_FALSE(dialog.HandleDialogKey(bare));
    EXPECT_EQ(mrNone, dialog.ModalResult());
    dialog.btnOk->SetFocus();
    bare.hwnd = dialog.btnOk->Handle();
    EXPECT_TRUE(dialog.HandleDialogKey(bare));
    EXPECT_EQ(mrCancel, dialog.ModalResult());
}

// The system would leave the form with no focused control, Tab, Enter and Esc reaching none.
TEST_F(ModalTest, FocusedControlDisabledOrHiddenHandsTheFocusOnAlongTheTabWalk)
{
    TModalForm dialog(nullptr);
    dialog.Show();
    dialog.btnOk->SetFocus();
    dialog.btnOk->SetEnabled(false);
    EXPECT_EQ(dialog.btnCancel->Handle(), GetFocus());
    dialog.btnCancel->Hide();
    EXPECT_EQ(dialog.Edit1->Handle(), GetFocus());
}

TEST_F(ModalTest, MouseMessagesReachTheVisibleEnabledControlUnderThePoint)
{
    TModalForm dialog(nullptr);
    auto* below = new TControl(&dialog);
    below->SetParent(&dialog);
    below->SetBounds(0, 0, 1, 1);
    auto* above = new TControl(&dialog);
    above->SetParent(&dialog);
    above->SetBounds(0, 0, 1, 1);
    above->SetEnabled(false);  // disabled controls are passed over
    auto* hidden = new TControl(&dialog);
    hidden->SetParent(&dialog);
    hidden->SetBounds(0, 0, 1, 1);
    hidden->SetVisible(false);

    std::vector<TObject*> ups;
    TMouseButton button = TMouseButton::Left;
    bool paintedBefore = true;
    auto record = [&](TObject* sender, TMouseButton b, TShiftState, int, int) {
        ups.push_back(sender);
        button = b;
        RECT update;
        paintedBefore = !GetUpdateRect(dialog.Handle(), &update, FALSE);
        static_cast<TControl*>(sender)->SetEnabled(false);
        dialog.SetModalResult(mrOk);
    };
    below->OnMouseUp = record;
    above->OnMouseUp = record;
    hidden->OnMouseUp = record;

    ModalWatchdog watchdog;
    PostMessageA(dialog.Handle(), WM_RBUTTONUP, 0, 0);
    PostMessageA(dialog.Handle(), WM_RBUTTONUP, 0, 0);  // below is disabled by then
    EXPECT_EQ(mrOk, dialog.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    ASSERT_EQ(1u, ups.size());
    EXPECT_EQ(below, ups[0]);
    EXPECT_EQ(TMouseButton::Right, button);
    EXPECT_FALSE(paintedBefore);  // posted messages come before the first paint
}

TEST_F(ModalTest, HandlerFailuresGoToTheExceptionEventOrTheStandardReport)
{
    TModalForm dialog(nullptr);
    dialog.btnOk->SetModalResult(mrNone);
    int step = 0;
    dialog.onOk = [&] {
        ++step;
        if (step == 1)
            throw Exception("error");
        if (step == 2)
            throw EAbort();
        // Keys posted now would go to the box's own loop: end the dialog from here.
        dialog.SetModalResult(mrCancel);
        throw EConvertError("done.");
    };
    std::vector<std::string> events;
    TObject* sender = nullptr;
    app_->SetOnException([&](TObject* s, const std::exception& e) {
        events.push_back(e.what());
        sender = s;
    });
    ModalWatchdog watchdog;
    PostMessageA(dialog.btnOk->Handle(), BM_CLICK, 0, 0);
    PostMessageA(dialog.btnCancel->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrCancel, dialog.ShowModal());  // the failure did not end the loop
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("error", events[0]);
    EXPECT_EQ(&dialog, sender);  // the window whose message was being handled

    app_->SetOnException(nullptr);
    BoxWatcher watcher;
    dialog.PostKey(VK_RETURN);  // silent abort: no box
    dialog.PostKey(VK_RETURN);  // reported with a stop icon, no second full stop
    EXPECT_EQ(mrCancel, dialog.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    auto boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());  // the abort shows nothing
    EXPECT_EQ("done.", boxes[0].text);
    EXPECT_EQ(BoxWatcher::StopIcon(), boxes[0].icon);
    EXPECT_EQ("ザンデラ2.02アップデータ", boxes[0].caption);
}

TEST_F(ModalTest, FailingCloseQueryIsReportedAndTheFormStaysOpen)
{
    TModalForm dialog(nullptr);
    int queries = 0;
    dialog.OnCloseQuery = [&](TObject*, bool& canClose) {
        if (++queries == 1)
            throw Exception("query failed");
        canClose = true;
    };
    std::vector<std::string> events;
    app_->SetOnException([&](TObject*, const std::exception& e) { events.push_back(e.what()); });
    ModalWatchdog watchdog;
    dialog.PostKey(VK_ESCAPE);
    dialog.PostKey(VK_ESCAPE);
    EXPECT_EQ(mrCancel, dialog.ShowModal());
    EXPECT_EQ(2, queries);
    EXPECT_EQ(std::vector<std::string>{"query failed"}, events);
}

TEST_F(ModalTest, ClosingTheMainFormEndsTheMessageLoop)
{
    auto* form = app_->CreateForm<TModalForm>();
    EXPECT_EQ(form, app_->MainForm());
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    ModalWatchdog watchdog;
    app_->Run();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(app_->Terminated());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}
