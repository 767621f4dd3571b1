// TWinControl: making the window (or subclassing a system control's), the one window
// procedure of the toolkit, the children's windows, the window changes that follow property
// changes, and giving the window up.
#include "framework/ui/Control.h"

#include "framework/ui/MessageLoop.h"
#include "framework/win32/GdiHandle.h"

#include <algorithm>
#include <set>

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

const char kControlProperty[] = "Za2Control";
const UINT kRepositionFlags = SWP_NOZORDER | SWP_NOACTIVATE;
// The first identifier of a child window; 1 to 99 are the dialog commands (IDOK...).
const int kFirstChildId = 100;

void RegisterOwnClass(const char* name)
{
    static std::set<std::string> registered;
    if (registered.count(name))
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.lpszClassName = name;
    RegisterClassA(&wc);  // fails harmlessly when another module made it first
    registered.insert(name);
}

} // namespace

// The one window procedure of every window the toolkit makes or subclasses. Failures of a
// handler end here: they are reported and never passed on to the system.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* control = static_cast<TWinControl*>(cs->lpCreateParams))
            control->Attach(window);
    }
    TWinControl* control = TWinControl::FromHandle(window);
    if (!control)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return control->Dispatch(message, wParam, lParam);
    } catch (const std::exception& e) {
        if (TMessageLoop* loop = TMessageLoop::Current())
            loop->HandleException(control, e);
    } catch (...) {
        // Not one of ours; there is no text to report.
    }
    return 0;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Children that outlive this control (they belong to their owners) are left without parent.
    for (TControl* c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
    TopParent()->ControlDestroying(this);
    mouseControl_ = nullptr;
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    return window ? static_cast<TWinControl*>(GetPropA(window, kControlProperty)) : nullptr;
}

HWND TWinControl::Handle()
{
    if (!handle_)
        CreateHandle();
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.style = WS_CHILD | WS_CLIPSIBLINGS | VisibleStyle();
    if (!Enabled())
        params.style |= WS_DISABLED;
    if (tabStop_)
        params.style |= WS_TABSTOP;
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = Height();
    if (Parent())
        params.parent = Parent()->Handle();
    else if (TMessageLoop* loop = TMessageLoop::Current())
        params.parent = loop->Handle();
}

DWORD TWinControl::VisibleStyle() const
{
    return Visible() ? WS_VISIBLE : 0;
}

void TWinControl::CreateHandle()
{
    if (Parent()) {
        Parent()->Handle();  // makes the windows of all its windowed children, this one too
        if (handle_)
            return;
    }
    TCreateParams params;
    CreateParams(params);
    ownClass_ = params.className == nullptr;
    const char* className = ownClass_ ? OwnClassName() : params.className;
    if (ownClass_)
        RegisterOwnClass(className);
    static int nextId = kFirstChildId;
    HMENU id = (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++))
                                         : nullptr;
    HWND window = CreateWindowExA(params.exStyle, className, StoredCaption().c_str(), params.style,
                                  params.x, params.y, params.width, params.height, params.parent,
                                  id, GetModuleHandleA(nullptr), ownClass_ ? this : nullptr);
    if (!window)
        RaiseOutOfResources();
    if (!ownClass_) {
        Attach(window);
        defaultProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindowProc)));
    }
    HandleCreated();
}

void TWinControl::Attach(HWND window)
{
    handle_ = window;
    SetPropA(window, kControlProperty, this);
}

void TWinControl::HandleCreated()
{
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->Handle();
    UpdateTabOrder();
}

void TWinControl::DestroyHandle()
{
    if (!handle_)
        return;
    HWND window = handle_;
    // From here the window is no longer this object's: late messages go to the system.
    RemovePropA(window, kControlProperty);
    if (defaultProc_)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
    handle_ = nullptr;
    defaultProc_ = nullptr;
    DestroyWindow(window);
}

LRESULT TWinControl::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        LRESULT result = DefaultHandler(message, wParam, lParam);
        RemovePropA(handle_, kControlProperty);
        handle_ = nullptr;
        defaultProc_ = nullptr;
        return result;
    }
    return WndProc(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (defaultProc_)
        return CallWindowProcA(defaultProc_, handle_, message, wParam, lParam);
    return DefWindowProcA(handle_, message, wParam, lParam);
}

std::string TWinControl::Caption() const
{
    if (!handle_)
        return StoredCaption();
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(handle_, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

void TWinControl::InsertControl(TControl* control)
{
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        int windowed = 0;
        for (TControl* c : controls_)
            windowed += c->IsWindowed() ? 1 : 0;
        w->tabOrder_ = windowed;
        controls_.push_back(control);
        if (handle_)
            w->Handle();
        return;
    }
    controls_.push_back(control);
}

void TWinControl::RemoveControl(TControl* control)
{
    if (mouseControl_ == control)
        mouseControl_ = nullptr;
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (auto* w = dynamic_cast<TWinControl*>(control))
        w->DestroyHandle();
}

void TWinControl::BoundsChanged()
{
    if (handle_)
        SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), kRepositionFlags);
    AlignControls();
}

void TWinControl::VisibleChanged()
{
    if (!Visible())
        PassFocusOn();
    if (handle_)
        ShowWindow(handle_, Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (Align() != TAlign::None)
        RequestAlign();
}

void TWinControl::EnabledChanged()
{
    if (!Enabled())
        PassFocusOn();
    if (handle_)
        EnableWindow(handle_, Enabled());
}

void TWinControl::CaptionChanged()
{
    if (handle_)
        SetWindowTextA(handle_, StoredCaption().c_str());
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    if (handle_) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
        InvalidateRect(handle_, nullptr, TRUE);
    }
    for (TControl* c : controls_)
        c->TakeParentFont();
}

void TWinControl::ColorChanged()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}
