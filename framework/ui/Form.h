#pragma once
// Forms: top-level windows built from a layout. A form class binds its handlers and component
// fields by name, then has its layout read (framework/layout); the layout creates the
// components, sets their properties, and after loading the form's OnCreate runs (a failure
// there is reported and the form is still made).
//
//   TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
//   {
//       AddHandler("FormCreate", &TfrmMain::FormCreate);
//       AddField("btnSetup", btnSetup);
//       ReadLayoutResource(*this, "TFRMMAIN");
//   }
#include "framework/ui/Control.h"
#include "framework/ui/FormBindings.h"

#include <functional>
#include <string>

enum class TBorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
struct TBorderIcons {
    bool systemMenu = true;
    bool minimize = true;
    bool maximize = true;
    bool help = false;
};
enum class TPosition { Designed, ScreenCenter };
enum class TFormStyle { Normal, StayOnTop };
enum class TCloseAction { None, Hide, Free, Minimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

class TForm : public TWinControl, public TFormBindings {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;
    ZA2_CLASS_NAME(TForm)

    // Runs OnCreate once the form is built (the layout reader calls it after reading); a
    // failure is handed to the application's report and creation goes on.
    virtual void DoCreate();

    // --- Window ---
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void SetClientWidth(int width) { SetClientSize(width, clientHeight_); }
    void SetClientHeight(int height) { SetClientSize(clientWidth_, height); }
    void SetClientSize(int width, int height);
    RECT ClientRect() const override { return RECT{0, 0, clientWidth_, clientHeight_}; }

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    const TBorderIcons& BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(const TBorderIcons& icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);

    // The control that gets the focus when the form is shown or activated.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Gives the focus back to a control of this form that had it: at once while the form is
    // the active window and the control can take it (shown, enabled), else when the form is
    // next activated.
    void RestoreFocus(HWND window);


    // --- Showing and closing (Show / Hide / Visible show the form without a loop) ---
    // Shows the form and runs its own message loop until the modal result is set and the close
    // query agrees. The other windows of the thread are disabled meanwhile.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Asks the form to close: OnCloseQuery may refuse; closing the main form ends the program.
    void Close();
    bool CloseQuery();

    // Dialog keys of a message headed for this form or one of its controls (Enter, Esc, Tab,
    // an access key with or without Alt), unless the focused control asks for the key itself
    // (WM_GETDLGCODE). True when the message was used up.
    bool HandleDialogKey(const MSG& message);
    // The form that a window belongs to, or nullptr.
    static TForm* FormOfWindow(HWND window);
    // The form a control is on (the control itself for a form), or nullptr.
    static TForm* FormOf(const TControl& control);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

protected:
    void Loaded() override;

    void CreateParams(TCreateParams& params) override;
    const char* OwnClassName() const override { return "Za2Form"; }
    void CreateHandle() override;
    void HandleCreated() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BoundsChanged() override;
    void VisibleChanged() override;
    void ActiveControlRequested(TWinControl* control) override { SetActiveControl(control); }
    void ControlDestroying(TWinControl* control) override;

private:
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
    SIZE OuterSize() const;
    void ApplyOuterSize();
    void CenterOnScreen();
    void FitClientArea();
    void RecreateStyle();
    void RealizePalette(bool background);
    void CloseModal();
    void FocusFirstControl();
    bool HandleAccessKey(char key);
    bool HandleEnterOrEscape(const MSG& message, HWND focus);
    // The first control (in creation order, at any depth) that this dialog key presses.
    TControl* DialogKeyTarget(TDialogKey key);

    int clientWidth_ = 0;
    int clientHeight_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::Sizeable;
    TBorderIcons borderIcons_;
    TPosition position_ = TPosition::Designed;
    TFormStyle formStyle_ = TFormStyle::Normal;
    TWinControl* activeControl_ = nullptr;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    bool shownOnce_ = false;
    bool applyingSize_ = false;
    HWND lastFocus_ = nullptr;
};
