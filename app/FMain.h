#pragma once
// The main window: the logo with the update and exit buttons. It holds the update list and the
// release time stamp, and runs the update sequence (folder entry dialog, progress dialog,
// success or failure message).
#include "framework/ui/Form.h"
#include "framework/core/DateTime.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitBtn;
class TImage;
class TLabel;
class TMatrixImagePack;
class TMemo;
class TBitmap;

// The folder the update writes into; set by the folder entry dialog, read by the update run.
extern std::string TargetFolder;

// Makes one dialog owned by the given component.
using TFormFactory = std::function<std::unique_ptr<TForm>(TComponent* owner)>;
template <class T>
TFormFactory FormFactory()
{
    return [](TComponent* owner) { return std::unique_ptr<TForm>(new T(owner)); };
}

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;
    ZA2_CLASS_NAME(TfrmMain)

    void FormCreate(TObject* sender);
    void btnSetupClick(TObject* sender);
    void btnAbortClick(TObject* sender);

    // The palette of the update button's glyph (none: the layout gives it no glyph).
    HPALETTE GetPalette() override;
    int UpdateCount() const;
    // Line index (from 0) of the update list.
    std::string UpdateItem(int index) const;
    // The whole update list, in order.
    std::vector<std::string> UpdateList() const;
    // The release time stamp, local time, read as year/month/day whatever the user's date
    // format; EConvertError when it does not scan.
    TDateTime TimeStamp() const;

    // Creates the dialog owned by this window, shows it modally, destroys it (also when showing
    // fails); true exactly when it closed with OK. No dialog (empty factory) is no OK.
    bool ShowDialog(const TFormFactory& dialogClass);
    template <class T>
    bool ShowDialog()
    {
        return ShowDialog(FormFactory<T>());
    }
    void ExecuteUpdate();
    // Puts the logo into Image1, re-rendered for a palette screen, and sizes the window to it.
    void ShowLogo();

    // The two dialogs of the update sequence, wired in by the program entry (they include this
    // window, and the folder entry dialog's install/ builds on app/); tests show their own.
    static TFormFactory InputPathDialog;
    static TFormFactory DoUpdateDialog;

    TBitBtn* btnSetup = nullptr;
    TBitBtn* btnAbort = nullptr;
    TMatrixImagePack* MatrixImagePack1 = nullptr;
    TImage* Image1 = nullptr;
    TMemo* meUpdateObject = nullptr;
    TLabel* lblTimeStamp = nullptr;
};

// Renders source into dest for the current screen: on a palette device through a DIB drawn
// onto dest with palette (or, with none, source's own palette) selected; otherwise a copy.
void CopyBitmapForPalette(TBitmap& source, TBitmap& dest, HPALETTE palette);

// The main window of the program, set while it exists.
extern TfrmMain* frmMain;
