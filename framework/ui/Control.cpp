#include "framework/ui/Control.h"

#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/win32/GdiHandle.h"

#include <windowsx.h>

#include <algorithm>
#include <set>
#include <utility>

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

const char kControlProperty[] = "Za2Control";
const UINT kRepositionFlags = SWP_NOZORDER | SWP_NOACTIVATE;
const UINT kZOrderFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

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

TShiftState ShiftFromKeys(WPARAM keys)
{
    TShiftState s;
    s.shift = (keys & MK_SHIFT) != 0;
    s.ctrl = (keys & MK_CONTROL) != 0;
    s.alt = GetKeyState(VK_MENU) < 0;
    s.left = (keys & MK_LBUTTON) != 0;
    s.right = (keys & MK_RBUTTON) != 0;
    s.middle = (keys & MK_MBUTTON) != 0;
    return s;
}

bool IsButtonDown(UINT message, TMouseButton& button)
{
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: button = TMouseButton::Left; return true;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = TMouseButton::Right; return true;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = TMouseButton::Middle; return true;
    default: return false;
    }
}

bool IsButtonUp(UINT message, TMouseButton& button)
{
    switch (message) {
    case WM_LBUTTONUP: button = TMouseButton::Left; return true;
    case WM_RBUTTONUP: button = TMouseButton::Right; return true;
    case WM_MBUTTONUP: button = TMouseButton::Middle; return true;
    default: return false;
    }
}

// BeginPaint / EndPaint as a pair that also ends when a painter fails.
class TPaintScope {
public:
    explicit TPaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window_, &ps_); }
    ~TPaintScope() { EndPaint(window_, &ps_); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    HDC Dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

} // namespace

COLORREF ColorToRGB(COLORREF color)
{
    if (color & kSystemColorFlag)
        return GetSysColor(static_cast<int>(color & ~kSystemColorFlag));
    return color;
}

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
        if (Application)
            Application->HandleException(control, e);
    } catch (...) {
        // Not one of ours; there is no text to report.
    }
    return 0;
}

// --- TControl ---

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    font_.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    font_.OnChange = nullptr;
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("a control cannot be its own parent");
    Invalidate();
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) {
        TakeParentFont();
        parent_->InsertControl(this);
        Invalidate();
        RequestAlign();
    }
}

TForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    ApplyBounds(left, top, width, height);
    RequestAlign();
}

void TControl::ApplyBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
}

void TControl::BoundsChanged()
{
    Invalidate();
}

bool TControl::Showing() const
{
    if (!visible_)
        return false;
    return parent_ ? parent_->Showing() : true;
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    // The parent repaints the area in both directions: shown or uncovered.
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
    if (align_ != TAlign::None)
        RequestAlign();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption)
{
    if (caption == Caption())
        return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::SetParentFont(bool parentFont)
{
    parentFont_ = parentFont;
    if (parentFont_)
        TakeParentFont();
}

void TControl::TakeParentFont()
{
    if (!parentFont_ || !parent_)
        return;
    takingParentFont_ = true;
    try {
        font_.Assign(&parent_->Font());
        FontChanged();
    } catch (...) {
        takingParentFont_ = false;
        throw;
    }
    takingParentFont_ = false;
}

void TControl::FontChanged()
{
    // A font set on the control itself ends the inheritance from the parent.
    if (!takingParentFont_)
        parentFont_ = false;
    Invalidate();
}

void TControl::SetColor(COLORREF color)
{
    if (color == color_)
        return;
    color_ = color;
    ColorChanged();
}

void TControl::Invalidate()
{
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, TRUE);
    }
}

void TControl::Repaint()
{
    Invalidate();
    if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->handle_);
}

void TControl::Paint(HDC) {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    Fire(OnMouseDown, this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    Fire(OnMouseUp, this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    Fire(OnMouseMove, this, shift, x, y);
}

void TControl::Click()
{
    Fire(OnClick, this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (parent_ && !parent_->Loading())
        parent_->AlignControls();
}

// --- TWinControl ---

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Children that outlive this control (they belong to their owners) are left without parent.
    for (TControl* c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
    TForm* form = ParentForm();
    if (form && form->ActiveControl() == this)
        form->SetActiveControl(nullptr);
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
    else if (Application)
        params.parent = Application->Handle();
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
    static int nextId = 100;
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

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            child->Command(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (TWinControl* child = FromHandle(item->hwndItem)) {
            child->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(child->ControlColors(reinterpret_cast<HDC>(wParam)));
        break;
    case WM_ERASEBKGND:
        if (ownClass_) {
            EraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        }
        break;
    case WM_PAINT:
        if (ownClass_) {
            Paint();
            return 0;
        }
        break;
    default:
        if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK && ownClass_
            && RouteMouse(message, wParam, lParam))
            return 0;
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

HBRUSH TWinControl::ControlColors(HDC dc)
{
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    if (Color() & kSystemColorFlag)
        return GetSysColorBrush(static_cast<int>(Color() & ~kSystemColorFlag));
    brush_.SetColor(Color());
    return brush_.Handle();
}

void TWinControl::EraseBackground(HDC dc)
{
    if (brush_.Style() == TBrushStyle::Clear)
        return;
    RECT r;
    GetClientRect(handle_, &r);
    if (Color() & kSystemColorFlag) {
        FillRect(dc, &r, GetSysColorBrush(static_cast<int>(Color() & ~kSystemColorFlag)));
        return;
    }
    TOwnedBrush brush(RequireHandle(CreateSolidBrush(Color())));
    FillRect(dc, &r, brush.Get());
}

void TWinControl::Paint()
{
    TPaintScope paint(handle_);
    PaintWindow(paint.Dc());
    PaintControls(paint.Dc());
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->Visible())
            continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r))
            continue;
        TSavedDC saved(dc);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Paint(dc);
    }
}

TControl* TWinControl::ControlAtPos(POINT point) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        RECT r = c->BoundsRect();
        if (!c->IsWindowed() && c->Visible() && c->Enabled() && PtInRect(&r, point))
            return c;
    }
    return nullptr;
}

bool TWinControl::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TShiftState shift = ShiftFromKeys(wParam);
    TMouseButton button;
    if (IsButtonDown(message, button)) {
        TControl* target = ControlAtPos(pt);
        if (!target)
            return false;
        mouseControl_ = target;
        SetCapture(handle_);
        target->MouseDown(button, shift, pt.x - target->Left(), pt.y - target->Top());
        return true;
    }
    if (IsButtonUp(message, button)) {
        TControl* pressed = std::exchange(mouseControl_, nullptr);
        if (pressed && GetCapture() == handle_)
            ReleaseCapture();
        TControl* target = pressed ? pressed : ControlAtPos(pt);
        if (!target)
            return false;
        RECT r = target->BoundsRect();
        bool inside = PtInRect(&r, pt) != FALSE;
        target->MouseUp(button, shift, pt.x - target->Left(), pt.y - target->Top());
        if (pressed && inside && button == TMouseButton::Left)
            pressed->Click();
        return true;
    }
    if (message == WM_MOUSEMOVE) {
        TControl* target = mouseControl_ ? mouseControl_ : ControlAtPos(pt);
        if (!target)
            return false;
        target->MouseMove(shift, pt.x - target->Left(), pt.y - target->Top());
        return true;
    }
    return false;
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

void TWinControl::SetTabOrder(int order)
{
    if (order == tabOrder_)
        return;
    tabOrder_ = order;
    if (Parent())
        Parent()->UpdateTabOrder();
}

void TWinControl::UpdateTabOrder()
{
    if (!handle_)
        return;
    std::vector<TWinControl*> windowed;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (w->handle_)
                windowed.push_back(w);
    std::stable_sort(windowed.begin(), windowed.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    // The dialog keys walk the children from the top of the z-order down.
    HWND after = HWND_TOP;
    for (TWinControl* w : windowed) {
        SetWindowPos(w->handle_, after, 0, 0, 0, 0, kZOrderFlags);
        after = w->handle_;
    }
}

void TWinControl::SetTabStop(bool tabStop)
{
    if (tabStop == tabStop_)
        return;
    tabStop_ = tabStop;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = tabStop_ ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus()
{
    if (TForm* form = ParentForm())
        form->SetActiveControl(this);
    if (CanFocus())
        ::SetFocus(Handle());
}

void TWinControl::AlignControls()
{
    if (aligning_ || Loading())
        return;
    aligning_ = true;
    RECT r = AlignRect();
    auto place = [&](TAlign align) {
        for (TControl* c : controls_) {
            if (c->Align() != align || !c->Visible())
                continue;
            int w = c->Width(), h = c->Height();
            switch (align) {
            case TAlign::Top:
                c->ApplyBounds(r.left, r.top, r.right - r.left, h);
                r.top += h;
                break;
            case TAlign::Bottom:
                c->ApplyBounds(r.left, r.bottom - h, r.right - r.left, h);
                r.bottom -= h;
                break;
            case TAlign::Left:
                c->ApplyBounds(r.left, r.top, w, r.bottom - r.top);
                r.left += w;
                break;
            case TAlign::Right:
                c->ApplyBounds(r.right - w, r.top, w, r.bottom - r.top);
                r.right -= w;
                break;
            case TAlign::Client:
                c->ApplyBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                break;
            case TAlign::None:
                break;
            }
        }
    };
    try {
        for (TAlign a : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client})
            place(a);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::BoundsChanged()
{
    if (handle_)
        SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), kRepositionFlags);
    AlignControls();
}

void TWinControl::VisibleChanged()
{
    if (handle_)
        ShowWindow(handle_, Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (Align() != TAlign::None)
        RequestAlign();
}

void TWinControl::EnabledChanged()
{
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

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint()
{
    if (handle_) {
        InvalidateRect(handle_, nullptr, TRUE);
        UpdateWindow(handle_);
    }
}

void TWinControl::ColorChanged()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}
