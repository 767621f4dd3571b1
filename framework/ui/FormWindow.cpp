// A form's window: its style from the border properties, its outer size from the client size
// the layout asks for, and its place on the screen.
#include "framework/ui/Form.h"

#include "framework/core/ScopeGuard.h"

#include <algorithm>

namespace {

const UINT kResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
const UINT kRepositionFlags = SWP_NOZORDER | SWP_NOACTIVATE;
const UINT kStyleChangedFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED;

} // namespace

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
    TTemporaryValue<bool> applying(applyingSize_, true);
    TWinControl::CreateHandle();
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
    TTemporaryValue<bool> applying(applyingSize_, true);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dx,
                 outer.bottom - outer.top + dy, kResizeFlags);
}

void TForm::BoundsChanged()
{
    if (HandleAllocated()) {
        TTemporaryValue<bool> applying(applyingSize_, true);
        SetWindowPos(Handle(), nullptr, Left(), Top(), Width(), Height(), kRepositionFlags);
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
        SetWindowPos(window, order, 0, 0, 0, 0, kStyleChangedFlags);
    }
    ApplyOuterSize();
}
