#include "app/FMain.h"

#include "app/AppStrings.h"
#include "app/UMessage.h"
#include "imagepack/UMatrixImagePack.h"
#include "dib/UDIBitmap.h"
#include "dib/UScreenColors.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Application.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/ui/FocusKept.h"
#include "framework/ui/ImageControl.h"
#include "framework/ui/Label.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Palette.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/ResText.h"
#include "framework/core/ScopeGuard.h"

std::string TargetFolder;
TfrmMain* frmMain = nullptr;

// Set by the program entry: both dialogs read this window's state, so it does not make them.
TFormFactory TfrmMain::InputPathDialog;
TFormFactory TfrmMain::DoUpdateDialog;

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
{
    // Set before the layout is read, as creation handlers may already ask for the main window.
    if (!frmMain)
        frmMain = this;
    RegisterMatrixImagePackKind();
    AddHandler("FormCreate", &TfrmMain::FormCreate);
    AddHandler("btnSetupClick", &TfrmMain::btnSetupClick);
    AddHandler("btnAbortClick", &TfrmMain::btnAbortClick);
    AddField("btnSetup", btnSetup);
    AddField("btnAbort", btnAbort);
    AddField("MatrixImagePack1", MatrixImagePack1);
    AddField("Image1", Image1);
    AddField("meUpdateObject", meUpdateObject);
    AddField("lblTimeStamp", lblTimeStamp);
    // A window that failed to be made is nobody's main window.
    TScopeExit forget([this] {
        if (frmMain == this)
            frmMain = nullptr;
    });
    ReadLayoutResource(*this, "TFRMMAIN");
    forget.Dismiss();
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
        ShowLogo();
    } catch (const std::exception& e) {
        Application->ShowException(e);
        Application->Terminate();
    }
}

void TfrmMain::ShowLogo()
{
    TPicture& picture = Image1->Picture();
    MatrixImagePack1->GetImage(picture, 0);
    if (IsPaletteDevice()) {
        TBitmap rendered;
        CopyBitmapForPalette(picture.Bitmap(), rendered, GetPalette());
        picture.SetGraphic(&rendered);
    }
    // Auto-size takes the picture's size once it is switched on again. The client alignment
    // waits until the window has that size, or it would stretch the image back to the old one.
    const TAlign align = Image1->Align();
    Image1->SetAlign(TAlign::None);
    Image1->SetBounds(0, 0, 1, 1);
    Image1->SetAutoSize(false);
    Image1->SetAutoSize(true);
    SetClientWidth(Image1->Width());
    SetClientHeight(Image1->Height());
    Image1->SetAlign(align);
}

void CopyBitmapForPalette(TBitmap& source, TBitmap& dest, HPALETTE palette)
{
    if (!IsPaletteDC(TScreenDC())) {
        dest.Assign(&source);
        dest.Handle();
        return;
    }
    dest.SetWidth(source.Width());
    dest.SetHeight(source.Height());
    TDIBitmap dib;
    dib.Assign(&source);
    if (palette) {
        dib.SetPalette(CopyPalette(palette));
        dest.SetPalette(CopyPalette(palette));
    } else {
        dest.SetPalette(CopyPalette(source.Palette()));
    }
    dest.Canvas().Draw(0, 0, &dib);
}

void TfrmMain::btnSetupClick(TObject*)
{
    // Hidden while the sequence runs, shown again however it ends; then the button that had the
    // focus (the update button) has it back, or a keyboard user would find none focused.
    TFocusKept focus;
    btnSetup->Hide();
    btnAbort->Hide();
    TScopeExit showAgain([this] {
        btnSetup->Show();
        btnAbort->Show();
    });
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

std::vector<std::string> TfrmMain::UpdateList() const
{
    std::vector<std::string> names;
    for (int i = 0; i < UpdateCount(); ++i)
        names.push_back(UpdateItem(i));
    return names;
}

TDateTime TfrmMain::TimeStamp() const
{
    // The release's own constant, read in its own order: a user's day-first or dotted date
    // format must not make it unreadable or another day.
    return StrToDateTimeYMD(lblTimeStamp->Caption());
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
