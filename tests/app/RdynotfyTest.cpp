// The ready notifier: one signal, inside the modal loop, before the form's first paint.
#include "app/Rdynotfy.h"

#include "support/FormTesting.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Form.h"

#include <gtest/gtest.h>

namespace {

const char kLayout[] =
    "form frmReady\n"
    "    ClientWidth  = 200\n"
    "    ClientHeight = 100\n"
    "    OnCreate     = FormCreate\n"
    "TReadyNotifier ReadyNotifier1\n"
    "    OnReady      = ReadyNotifier1Ready\n";

class TReadyForm : public TForm {
public:
    explicit TReadyForm(TComponent* owner, bool closeWhenReady = true)
        : TForm(owner), closeWhenReady_(closeWhenReady)
    {
        RegisterReadyNotifierKind();
        AddHandler("FormCreate", &TReadyForm::FormCreate);
        AddHandler("ReadyNotifier1Ready", &TReadyForm::ReadyNotifier1Ready);
        ReadLayout(*this, kLayout, "READYTEST");
    }
    void FormCreate(TObject*) {}
    void ReadyNotifier1Ready(TObject* sender)
    {
        ++fired;
        sender_ = sender;
        inModalLoop = Modal();
        visible = IsWindowVisible(Handle()) != FALSE;
        RECT invalid;
        notYetPainted = GetUpdateRect(Handle(), &invalid, FALSE) != FALSE;
        if (closeWhenReady_)
            SetModalResult(mrOk);
    }

    int fired = 0;
    bool inModalLoop = false;
    bool visible = false;
    bool notYetPainted = false;
    TObject* sender_ = nullptr;

private:
    bool closeWhenReady_;
};

class RdynotfyTest : public FormTest {};

} // namespace

TEST_F(RdynotfyTest, FiresOnceInsideTheModalLoopBeforeTheFirstPaint)
{
    ModalWatchdog watchdog;
    TReadyForm form(nullptr);
    EXPECT_EQ(0, form.fired); // nothing before the loop runs
    EXPECT_EQ(mrOk, form.ShowModal());
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(1, form.fired);
    EXPECT_TRUE(form.inModalLoop);
    EXPECT_TRUE(form.visible);
    EXPECT_TRUE(form.notYetPainted);
    EXPECT_EQ(form.FindComponent("ReadyNotifier1"), form.sender_);

    // A later right click on the top-left pixel is no second signal.
    PostMessageA(form.Handle(), WM_RBUTTONUP, 0, 0);
    app_->ProcessMessages();
    EXPECT_EQ(1, form.fired);
}

TEST_F(RdynotfyTest, NotifierOfAnotherOwnerNeverFires)
{
    TComponent owner(nullptr);
    auto* notifier = new TReadyNotifier(&owner);
    int fired = 0;
    notifier->OnReady = [&](TObject*) { ++fired; };
    app_->ProcessMessages();
    EXPECT_EQ(0, fired);
}

TEST_F(RdynotfyTest, UnsetEventConsumesTheSignal)
{
    TForm form(nullptr);
    auto* notifier = new TReadyNotifier(&form);
    app_->ProcessMessages();
    // The catcher went disabled: the signal was taken and nothing else happened.
    ASSERT_EQ(1, notifier->ComponentCount());
    auto* catcher = dynamic_cast<TControl*>(notifier->Component(0));
    ASSERT_NE(nullptr, catcher);
    EXPECT_FALSE(catcher->Enabled());
}

TEST_F(RdynotfyTest, DesignModeMakesNoCatcher)
{
    TComponent owner(nullptr);
    owner.SetDesigning(true);
    auto* notifier = new TReadyNotifier(&owner);
    EXPECT_EQ(0, notifier->ComponentCount());
}
