#include "app/FMain.h"

#include "app/AppStrings.h"
#include "app/FDoUpdate.h"
#include "install/FInpPath.h"
#include "app/UMessage.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/ImageControl.h"
#include "framework/Label.h"
#include "framework/ResText.h"

std::string TargetFolder;
TfrmMain* frmMain = nullptr;

TFormFactory TfrmMain::InputPathDialog = FormFactory<TfrmInputPath>();
TFormFactory TfrmMain::DoUpdateDialog = FormFactory<TfrmDoUpdate>();

namespace {

// Hides the buttons while the sequence runs and shows them again however it ends.
class TButtonsHidden {
public:
    TButtonsHidden(TControl& a, TControl& b) : a_(a), b_(b)
    {
        a_.Hide();
        b_.Hide();
    }
    ~TButtonsHidden()
    {
        a_.Show();
        b_.Show();
    }
    TButtonsHidden(const TButtonsHidden&) = delete;
    TButtonsHidden& operator=(const TButtonsHidden&) = delete;

private:
    TControl& a_;
    TControl& b_;
};

} // namespace

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
{
    // Set before the layout is read, as creation handlers may already ask for the main window.
    if (!frmMain)
        frmMain = this;
    AddHandler("FormCreate", &TfrmMain::FormCreate);
    AddHandler("btnSetupClick", &TfrmMain::btnSetupClick);
    AddHandler("btnAbortClick", &TfrmMain::btnAbortClick);
    AddField("btnSetup", btnSetup);
    AddField("btnAbort", btnAbort);
    AddField("Image1", Image1);
    AddField("meUpdateObject", meUpdateObject);
    AddField("lblTimeStamp", lblTimeStamp);
    try {
        ReadLayoutResource("TFRMMAIN");
    } catch (...) {
        if (frmMain == this)
            frmMain = nullptr;
        throw;
    }
}

TfrmMain::~TfrmMain()
{
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::FormCreate(TObject*)
{
    try {
        SetCaption(Application->Title());
        Brush().SetStyle(TBrushStyle::Clear);
    } catch (const std::exception& e) {
        Application->ShowException(e);
        Application->Terminate();
    }
}

void TfrmMain::btnSetupClick(TObject*)
{
    TButtonsHidden hidden(*btnSetup, *btnAbort);
    ExecuteUpdate();
}

void TfrmMain::btnAbortClick(TObject*)
{
    Close();
}

HPALETTE TfrmMain::GetPalette()
{
    return btnSetup->Glyph().Palette();
}

int TfrmMain::UpdateCount() const
{
    return meUpdateObject->LineCount();
}

std::string TfrmMain::UpdateItem(int index) const
{
    return meUpdateObject->Line(index);
}

TDateTime TfrmMain::TimeStamp() const
{
    return StrToDateTime(lblTimeStamp->Caption());
}

bool TfrmMain::ShowDialog(const TFormFactory& dialogClass)
{
    if (!dialogClass)
        return false;
    std::unique_ptr<TForm> dialog = dialogClass(this);
    return dialog->ShowModal() == mrOk;
}

void TfrmMain::ExecuteUpdate()
{
    if (!ShowDialog(InputPathDialog))
        return;
    if (!ShowDialog(DoUpdateDialog)) {
        WarningBox(LoadResText(SUpdateFailed));
        return;
    }
    // The closed dialog's area is painted before the box goes up over it.
    Repaint();
    NoticeBox(LoadResText(SUpdateSucceeded));
    BringWindowToTop(Handle());
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}
