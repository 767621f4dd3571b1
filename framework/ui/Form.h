#pragma once
// Forms: top-level windows built from a layout. A form class binds its handlers and component
// fields by name, then reads its layout; the layout creates the components, sets their
// properties, and after loading the form's OnCreate runs (a failure there is reported and the
// form is still made).
//
//   TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
//   {
//       AddHandler("FormCreate", &TfrmMain::FormCreate);
//       AddField("btnSetup", btnSetup);
//       ReadLayoutResource("TFRMMAIN");
//   }
#include "framework/ui/Control.h"

#include <any>
#include <functional>
#include <map>
#include <string>

class TBitBtn;

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

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;
    ZA2_CLASS_NAME(TForm)

    // --- Building from a layout ---
    // Reads a layout text (CP932); layoutName names it in error messages. Raises ELayoutError.
    void ReadLayout(const std::string& text, const std::string& layoutName);
    // Reads the layout resource of type "LAYOUT" with this name from the program's module.
    void ReadLayoutResource(const char* name);

    // Handlers the layout may name. Member functions of the form class bind to this form.
    template <class Event>
    void AddHandler(const std::string& name, Event handler)
    {
        handlers_[name] = std::move(handler);
    }
    template <class F, class... Args>
    void AddHandler(const std::string& name, void (F::*method)(Args...))
    {
        F* self = static_cast<F*>(this);
        handlers_[name] =
            std::function<void(Args...)>([self, method](Args... args) { (self->*method)(args...); });
    }
    // The handler of this name and event type; nullptr when there is none of that type.
    template <class Event>
    const Event* FindHandler(const std::string& name) const
    {
        auto it = handlers_.find(name);
        return it == handlers_.end() ? nullptr : std::any_cast<Event>(&it->second);
    }
    bool HasHandler(const std::string& name) const { return handlers_.count(name) != 0; }

    // A field that receives the layout's component of this name; a missing component or one of
    // another kind is a layout error.
    template <class T>
    void AddField(const std::string& name, T*& field)
    {
        field = nullptr;
        fields_[name] = [&field](TComponent* c) {
            field = dynamic_cast<T*>(c);
            return field != nullptr;
        };
    }
    // Called by the layout reader for each component it made; false: the field's kind differs.
    bool BindField(const std::string& name, TComponent* component);
    // Names of fields that no component was bound to.
    std::vector<std::string> UnboundFields() const;

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

    // The push buttons that Enter and Esc press (the layout's default / cancel buttons).
    TBitBtn* DefaultButton() const;
    TBitBtn* CancelButton() const;

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

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

protected:
    void Loaded() override;
    // Runs OnCreate; a failure is handed to the application's report and creation goes on.
    virtual void DoCreate();

    void CreateParams(TCreateParams& params) override;
    const char* OwnClassName() const override { return "Za2Form"; }
    void CreateHandle() override;
    void HandleCreated() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BoundsChanged() override;
    void VisibleChanged() override;

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
    bool PressButton(TBitBtn* button);
    bool HandleAccessKey(char key);

    std::map<std::string, std::any> handlers_;
    std::map<std::string, std::function<bool(TComponent*)>> fields_;
    std::vector<std::string> boundFields_;

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
