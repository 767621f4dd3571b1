#include "framework/ui/Form.h"

#include "framework/ui/Application.h"
#include "framework/ui/Button.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/win32/GdiHandle.h"
#include "framework/ui/Label.h"
#include "framework/ui/Layout.h"
#include "framework/core/Stream.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace {

const char kLayoutResourceType[] = "LAYOUT";
const UINT kResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
// Access keys are single-byte characters: a lead byte of a double-byte character is none.
const WPARAM kFirstAccessChar = 0x80;

// Disables the thread's other enabled, visible top-level windows while a form is modal.
class TOtherWindowsDisabled {
public:
    TOtherWindowsDisabled()
    {
        EnumThreadWindows(GetCurrentThreadId(), &TOtherWindowsDisabled::Visit,
                          reinterpret_cast<LPARAM>(this));
    }
    ~TOtherWindowsDisabled()
    {
        for (HWND w : disabled_)
            if (IsWindow(w))
                EnableWindow(w, TRUE);
    }
    TOtherWindowsDisabled(const TOtherWindowsDisabled&) = delete;
    TOtherWindowsDisabled& operator=(const TOtherWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<TOtherWindowsDisabled*>(self)->disabled_.push_back(window);
        }
        return TRUE;
    }
    std::vector<HWND> disabled_;
};

template <class Visit>
void ForEachControl(TWinControl& parent, Visit visit)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* c = parent.Control(i);
        visit(c);
        if (auto* w = dynamic_cast<TWinControl*>(c))
            ForEachControl(*w, visit);
    }
}

// The dialog codes of the focused window: does it want this key for itself?
bool FocusWantsKey(HWND focus, const MSG& message, UINT wanted)
{
    if (!focus)
        return false;
    auto code = static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, message.wParam,
                                               reinterpret_cast<LPARAM>(&message)));
    return (code & wanted) != 0;
}

// True when the caption marks ch (upper case) as its access key ("&F"; "&&" is a plain "&").
bool IsAccessKey(const std::string& caption, char ch)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1])) == ch;
    }
    return false;
}

} // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    SetVisible(false);
}

TForm::~TForm()
{
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
}

// --- Layout ---

void TForm::ReadLayout(const std::string& text, const std::string& layoutName)
{
    TLayoutReader(*this, layoutName).Read(text);
    DoCreate();
}

void TForm::ReadLayoutResource(const char* name)
{
    TResourceStream resource(GetModuleHandleA(nullptr), name, kLayoutResourceType);
    std::string text(static_cast<const char*>(resource.Memory()),
                     static_cast<size_t>(resource.Size()));
    ReadLayout(text, name);
}

bool TForm::BindField(const std::string& name, TComponent* component)
{
    auto it = fields_.find(name);
    if (it == fields_.end())
        return true;
    if (!it->second(component))
        return false;
    boundFields_.push_back(name);
    return true;
}

std::vector<std::string> TForm::UnboundFields() const
{
    std::vector<std::string> missing;
    for (const auto& field : fields_)
        if (std::find(boundFields_.begin(), boundFields_.end(), field.first) == boundFields_.end())
            missing.push_back(field.first);
    return missing;
}

void TForm::Loaded()
{
    TWinControl::Loaded();
    ApplyOuterSize();
    AlignControls();
}

void TForm::DoCreate()
{
    try {
        Fire(OnCreate, this);
    } catch (const std::exception& e) {
        if (Application)
            Application->HandleException(this, e);
    }
}

// --- Window ---

DWORD TForm::WindowStyle() const
{
    DWORD style = WS_CLIPCHILDREN;
    switch (borderStyle_) {
    case TBorderStyle::None: style |= WS_POPUP; break;
    case TBorderStyle::Single: style |= WS_CAPTION | WS_BORDER; break;
    case TBorderStyle::Sizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case TBorderStyle::Dialog: style |= WS_POPUP | WS_CAPTION; break;
    case TBorderStyle::ToolWindow: style |= WS_CAPTION; break;
    case TBorderStyle::SizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; break;
    }
    if (borderStyle_ != TBorderStyle::None && borderIcons_.systemMenu) {
        style |= WS_SYSMENU;
        bool framed = borderStyle_ == TBorderStyle::Single || borderStyle_ == TBorderStyle::Sizeable;
        if (framed && borderIcons_.minimize)
            style |= WS_MINIMIZEBOX;
        if (framed && borderIcons_.maximize)
            style |= WS_MAXIMIZEBOX;
    }
    return style;
}

DWORD TForm::WindowExStyle() const
{
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (borderStyle_ == TBorderStyle::Dialog)
        exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    if (borderStyle_ == TBorderStyle::ToolWindow || borderStyle_ == TBorderStyle::SizeToolWin)
        exStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ == TBorderStyle::Dialog && borderIcons_.help && borderIcons_.systemMenu)
        exStyle |= WS_EX_CONTEXTHELP;
    if (formStyle_ == TFormStyle::StayOnTop)
        exStyle |= WS_EX_TOPMOST;
    return exStyle;
}

SIZE TForm::OuterSize() const
{
    RECT r{0, 0, clientWidth_, clientHeight_};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TForm::CreateParams(TCreateParams& params)
{
    params.style = WindowStyle();
    params.exStyle = WindowExStyle();
    SIZE outer = OuterSize();
    params.x = Left();
    params.y = Top();
    params.width = outer.cx;
    params.height = outer.cy;
    // Dialogs stay in front of the form that owns them.
    auto* ownerForm = dynamic_cast<TForm*>(Owner());
    params.parent = ownerForm && ownerForm->HandleAllocated() ? ownerForm->Handle() : nullptr;
}

void TForm::CreateHandle()
{
    // The first sizes the window reports are the system's guess, not the layout's.
    bool saved = std::exchange(applyingSize_, true);
    try {
        TWinControl::CreateHandle();
    } catch (...) {
        applyingSize_ = saved;
        throw;
    }
    applyingSize_ = saved;
}

void TForm::HandleCreated()
{
    TWinControl::HandleCreated();
    FitClientArea();
}

void TForm::SetClientSize(int width, int height)
{
    clientWidth_ = width;
    clientHeight_ = height;
    ApplyOuterSize();
    AlignControls();
}

void TForm::ApplyOuterSize()
{
    SIZE outer = OuterSize();
    ApplyBounds(Left(), Top(), outer.cx, outer.cy);
    FitClientArea();
}

// The client area is what the layout promises; frames that differ from the computed ones
// (themes, window managers) are made up for here.
void TForm::FitClientArea()
{
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int dx = clientWidth_ - (client.right - client.left);
    int dy = clientHeight_ - (client.bottom - client.top);
    if (dx == 0 && dy == 0)
        return;
    bool saved = std::exchange(applyingSize_, true);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dx,
                 outer.bottom - outer.top + dy, kResizeFlags);
    applyingSize_ = saved;
}

void TForm::BoundsChanged()
{
    if (HandleAllocated()) {
        bool saved = std::exchange(applyingSize_, true);
        SetWindowPos(Handle(), nullptr, Left(), Top(), Width(), Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        applyingSize_ = saved;
    }
}

void TForm::CenterOnScreen()
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    ApplyBounds(std::max(x, 0), std::max(y, 0), Width(), Height());
}

void TForm::SetBorderStyle(TBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    RecreateStyle();
}

void TForm::SetBorderIcons(const TBorderIcons& icons)
{
    borderIcons_ = icons;
    RecreateStyle();
}

void TForm::SetFormStyle(TFormStyle style)
{
    if (style == formStyle_)
        return;
    formStyle_ = style;
    RecreateStyle();
}

void TForm::RecreateStyle()
{
    if (HandleAllocated()) {
        HWND window = Handle();
        DWORD visible = IsWindowVisible(window) ? WS_VISIBLE : 0;
        SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(WindowStyle() | visible));
        SetWindowLongPtrA(window, GWL_EXSTYLE, static_cast<LONG_PTR>(WindowExStyle()));
        HWND order = formStyle_ == TFormStyle::StayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST;
        SetWindowPos(window, order, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ApplyOuterSize();
}

void TForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control && HandleAllocated() && GetActiveWindow() == Handle() && control->CanFocus())
        ::SetFocus(control->Handle());
}

TBitBtn* TForm::DefaultButton() const
{
    TBitBtn* found = nullptr;
    ForEachControl(const_cast<TForm&>(*this), [&](TControl* c) {
        auto* b = dynamic_cast<TBitBtn*>(c);
        if (!found && b && b->Default())
            found = b;
    });
    return found;
}

TBitBtn* TForm::CancelButton() const
{
    TBitBtn* found = nullptr;
    ForEachControl(const_cast<TForm&>(*this), [&](TControl* c) {
        auto* b = dynamic_cast<TBitBtn*>(c);
        if (!found && b && b->Cancel())
            found = b;
    });
    return found;
}

// --- Showing and closing ---

void TForm::VisibleChanged()
{
    if (Visible()) {
        HWND window = Handle();
        if (position_ == TPosition::ScreenCenter && !shownOnce_)
            CenterOnScreen();
        shownOnce_ = true;
        Fire(OnShow, this);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        FocusFirstControl();
    } else {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        Fire(OnHide, this);
    }
}

void TForm::FocusFirstControl()
{
    if (!HandleAllocated())
        return;
    if (activeControl_ && activeControl_->CanFocus()) {
        ::SetFocus(activeControl_->Handle());
        return;
    }
    if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE))
        ::SetFocus(first);
}

TModalResult TForm::ShowModal()
{
    if (Visible() || modal_)
        throw EInvalidOperation(SCannotShowModal);
    if (!Application)
        throw EInvalidOperation(SCannotShowModal);
    if (GetCapture())
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();

    HWND previousActive = GetActiveWindow();
    struct TModalState {
        TForm& form;
        HWND previousActive;
        ~TModalState()
        {
            form.modal_ = false;
            if (form.Visible())
                form.Hide();
            if (previousActive && IsWindow(previousActive))
                SetActiveWindow(previousActive);
        }
    };
    TModalState state{*this, previousActive};
    modal_ = true;
    modalResult_ = mrNone;
    {
        TOtherWindowsDisabled others;
        Show();
        for (;;) {
            if (Application->Terminated()) {
                if (modalResult_ == mrNone)
                    modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone) {
                CloseModal();
                if (modalResult_ != mrNone)
                    break;
            }
            Application->HandleMessage();
        }
    }
    return modalResult_;
}

void TForm::CloseModal()
{
    try {
        if (!CloseQuery()) {
            modalResult_ = mrNone;
            return;
        }
        TCloseAction action = TCloseAction::Hide;
        Fire(OnClose, this, action);
        if (action == TCloseAction::None)
            modalResult_ = mrNone;
    } catch (const std::exception& e) {
        // A failing close query keeps the form open, like a refusal.
        modalResult_ = mrNone;
        Application->HandleException(this, e);
    }
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    Fire(OnCloseQuery, this, canClose);
    return canClose;
}

void TForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    bool mainForm = Application && Application->MainForm() == this;
    TCloseAction action = mainForm ? TCloseAction::Free : TCloseAction::Hide;
    Fire(OnClose, this, action);
    if (action == TCloseAction::None)
        return;
    if (action == TCloseAction::Minimize && !mainForm) {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_MINIMIZE);
        return;
    }
    Hide();
    if (mainForm)
        Application->Terminate();
}

// --- Messages ---

bool TForm::PressButton(TBitBtn* button)
{
    if (!button || !button->CanFocus())
        return false;
    button->Click();
    return true;
}

// A caption's access key: presses that button, or focuses the label's control.
bool TForm::HandleAccessKey(char key)
{
    bool handled = false;
    ForEachControl(*this, [&](TControl* c) {
        if (handled || !IsAccessKey(c->Caption(), key))
            return;
        if (auto* button = dynamic_cast<TBitBtn*>(c)) {
            handled = button->CanFocus();
            if (handled) {
                button->SetFocus();
                button->Click();
            }
        } else if (auto* label = dynamic_cast<TLabel*>(c)) {
            TWinControl* target = label->FocusControl();
            handled = label->Visible() && target && target->CanFocus();
            if (handled)
                target->SetFocus();
        }
    });
    return handled;
}

bool TForm::HandleDialogKey(const MSG& message)
{
    bool keyMessage = message.message == WM_KEYDOWN || message.message == WM_CHAR
                      || message.message == WM_SYSCHAR;
    if (!keyMessage || !HandleAllocated() || !IsWindowEnabled(Handle()))
        return false;
    HWND window = Handle();
    HWND focus = GetFocus();
    if (focus && focus != window && !IsChild(window, focus))
        focus = nullptr;
    if (message.message != WM_KEYDOWN) {
        // Alt and a letter always; a bare letter only where the focus takes no typed text
        // (a button, not an edit box), as in the system's dialogs.
        bool bare = message.message == WM_CHAR;
        if (message.wParam >= kFirstAccessChar || message.wParam < ' '
            || (bare && FocusWantsKey(focus, message, DLGC_WANTCHARS | DLGC_WANTMESSAGE)))
            return false;
        return HandleAccessKey(
            static_cast<char>(std::toupper(static_cast<unsigned char>(message.wParam))));
    }
    switch (message.wParam) {
    case VK_RETURN:
    case VK_ESCAPE: {
        // The focused control comes first: Enter opens a list entry, Esc closes a drop-down.
        auto* focusedButton = dynamic_cast<TBitBtn*>(FromHandle(focus));
        if (focusedButton && message.wParam == VK_RETURN)
            return PressButton(focusedButton);
        if (FocusWantsKey(focus, message, DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
            return false;
        return PressButton(message.wParam == VK_RETURN ? DefaultButton() : CancelButton());
    }
    case VK_TAB: {
        if (GetKeyState(VK_CONTROL) < 0 || FocusWantsKey(focus, message, DLGC_WANTTAB))
            return false;
        bool backwards = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(window, focus, backwards))
            ::SetFocus(next);
        return true;
    }
    default:
        return false;
    }
}

TForm* TForm::FormOfWindow(HWND window)
{
    if (!window)
        return nullptr;
    return dynamic_cast<TForm*>(FromHandle(GetAncestor(window, GA_ROOT)));
}

void TForm::RealizePalette(bool background)
{
    HPALETTE palette = GetPalette();
    if (!palette)
        return;
    TWindowDC dc(Handle());
    TSelectPalette selected(dc, palette, background, true);
    InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus))
                lastFocus_ = focus;
        } else if (!HIWORD(wParam)) {
            if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_))
                ::SetFocus(lastFocus_);
            else
                FocusFirstControl();
        }
        return 0;
    case WM_SIZE:
        if (!applyingSize_ && wParam != SIZE_MINIMIZED) {
            clientWidth_ = LOWORD(lParam);
            clientHeight_ = HIWORD(lParam);
        }
        AlignControls();
        return 0;
    case WM_QUERYNEWPALETTE:
        RealizePalette(false);
        return GetPalette() ? TRUE : FALSE;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != Handle())
            RealizePalette(true);
        return 0;
    default:
        return TWinControl::WndProc(message, wParam, lParam);
    }
}
