#include "framework/ui/Form.h"

#include "framework/ui/MessageLoop.h"

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    SetVisible(false);
}

TForm::~TForm()
{
    TMessageLoop* loop = TMessageLoop::Current();
    if (loop && loop->MainForm() == this)
        loop->SetMainForm(nullptr);
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
        if (TMessageLoop* loop = TMessageLoop::Current())
            loop->HandleException(this, e);
    }
}

void TForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control && HandleAllocated() && GetActiveWindow() == Handle() && control->CanFocus())
        ::SetFocus(control->Handle());
}

void TForm::RestoreFocus(HWND window)
{
    if (!HandleAllocated() || !window || !IsChild(Handle(), window))
        return;
    lastFocus_ = window;
    TWinControl* control = FromHandle(window);
    if (GetActiveWindow() == Handle() && control && control->CanFocus())
        ::SetFocus(window);
}

void TForm::ControlDestroying(TWinControl* control)
{
    if (activeControl_ == control)
        SetActiveControl(nullptr);
}

TForm* TForm::FormOf(const TControl& control)
{
    const TControl* top = &control;
    while (top->Parent())
        top = top->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

TForm* TForm::FormOfWindow(HWND window)
{
    if (!window)
        return nullptr;
    return dynamic_cast<TForm*>(FromHandle(GetAncestor(window, GA_ROOT)));
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
