#pragma once
// Controls: the visible parts of a window. A TControl without a window of its own (label,
// bevel, image) is painted by its parent and gets its mouse messages from it; a TWinControl is
// a real Win32 window whose window text is its caption, so that tools find it by caption.
#include "framework/graphics/Brush.h"
#include "framework/graphics/Font.h"
#include "framework/core/Component.h"
#include "framework/core/Events.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TWinControl;

// Where a control sits inside its parent's client area when the parent is arranged.
enum class TAlign { None, Top, Bottom, Left, Right, Client };

enum class TMouseButton { Left, Right, Middle };

// The keys of a dialog that press a button: Enter the default one, Esc the cancel one.
enum class TDialogKey { Enter, Escape };

// The keys and buttons held down while a mouse message arrived.
struct TShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool left = false;
    bool right = false;
    bool middle = false;
};

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// Colours are COLORREFs, or one of the system's colours (looked up at each use).
constexpr COLORREF kSystemColorFlag = 0x80000000u;
constexpr COLORREF SystemColor(int index) { return kSystemColorFlag | static_cast<COLORREF>(index); }
constexpr COLORREF clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr COLORREF clWindow = SystemColor(COLOR_WINDOW);
constexpr COLORREF clWindowText = SystemColor(COLOR_WINDOWTEXT);
COLORREF ColorToRGB(COLORREF color);

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    ZA2_CLASS_NAME(TControl)

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and every parent up to the window on screen.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The caption; for windowed controls also the window text.
    virtual std::string Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    // The control's font; with ParentFont (the default) a copy of its parent's.
    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    // The palette the control draws with (0: none); a form realises it when it gets the focus.
    virtual HPALETTE GetPalette() { return nullptr; }

    virtual bool IsWindowed() const { return false; }
    virtual void Invalidate();
    // Paints what is invalid now instead of waiting for the message loop.
    virtual void Repaint();

    // Draws a non-windowed control; the DC's origin is the control's top-left corner.
    virtual void Paint(HDC dc);

    // Mouse input, from the parent for non-windowed controls.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();

    // Keyboard interface of the window the control is on. Whether a dialog key presses this
    // control: as the default or cancel button, or (focused) as the button with the focus.
    virtual bool IsDialogKeyTarget(TDialogKey /*key*/, bool /*focused*/) const { return false; }
    // The dialog key pressed it; false when it cannot act now (hidden or disabled).
    virtual bool DialogKeyPressed() { return false; }
    // The access key of its caption ("&F") was pressed; false when it has nothing to do.
    virtual bool AccessKeyPressed() { return false; }

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnClick;

protected:
    void Loaded() override;

    virtual void BoundsChanged();
    virtual void VisibleChanged();
    virtual void EnabledChanged() { Invalidate(); }
    virtual void CaptionChanged() { Invalidate(); }
    virtual void FontChanged();
    virtual void ColorChanged() { Invalidate(); }
    // The parent's font or colour changed, or the control has a new parent.
    void TakeParentFont();
    // Sets the bounds without asking the parent to arrange its controls again.
    void ApplyBounds(int left, int top, int width, int height);
    void RequestAlign();

    const std::string& StoredCaption() const { return caption_; }
    void StoreCaption(const std::string& caption) { caption_ = caption; }

private:
    friend class TWinControl;

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    TAlign align_ = TAlign::None;
    TFont font_;
    bool parentFont_ = true;
    bool takingParentFont_ = false;
    COLORREF color_ = clBtnFace;
};

// A control with a window of its own. The window is made when first needed (Handle) and holds
// the windows of its windowed children.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    ZA2_CLASS_NAME(TWinControl)

    // The window, made now (with its parent's) when it does not exist yet.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // The control of a window made by this toolkit, or nullptr.
    static TWinControl* FromHandle(HWND window);

    bool IsWindowed() const override { return true; }
    std::string Caption() const override;
    void Invalidate() override;
    void Repaint() override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Control(int index) const { return controls_.at(index); }

    // Position in the keyboard's Tab walk among the windowed siblings (0 first).
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    bool CanFocus() const;
    bool Focused() const;
    void SetFocus();

    // The area children are arranged in (client coordinates).
    virtual RECT AlignRect() { return ClientRect(); }
    void AlignControls();

    TBrush& Brush() { return brush_; }

protected:
    struct TCreateParams {
        const char* className = nullptr;  // nullptr: the toolkit's own class for this kind
        DWORD style = 0;
        DWORD exStyle = 0;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;
    };
    // The window to make; the default is a child window of the parent at the control's bounds.
    virtual void CreateParams(TCreateParams& params);
    // The name of this kind's own window class (forms and panels); registered on first use.
    virtual const char* OwnClassName() const { return "Za2Control"; }
    virtual void CreateHandle();
    void DestroyHandle();
    // The window exists: give it the properties that are not part of its style.
    virtual void HandleCreated();

    // Every message of the window; exceptions are reported by the caller, never passed on.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // A notification (WM_COMMAND code) of this control's own window, sent to its parent.
    virtual void Command(WORD /*code*/) {}
    // An item of this owner-drawn control to draw (WM_DRAWITEM, sent to its parent).
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    // Text and background of this system control (WM_CTLCOLOR..., sent to its parent): the
    // font's and the control's colours; returns the background brush.
    HBRUSH ControlColors(HDC dc);
    // Background of the toolkit's own windows; false leaves it to the window class.
    virtual void EraseBackground(HDC dc);
    // The window's own drawing before its non-windowed children.
    virtual void PaintWindow(HDC /*dc*/) {}
    void PaintControls(HDC dc);

    void BoundsChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void CaptionChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

    DWORD VisibleStyle() const;
    void UpdateTabOrder();

    // A control on this top-level window asks for the focus, or is going away (a form
    // remembers the control that had the focus).
    virtual void ActiveControlRequested(TWinControl* /*control*/) {}
    virtual void ControlDestroying(TWinControl* /*control*/) {}

private:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND window);
    bool RouteMouse(UINT message, WPARAM wParam, LPARAM lParam);
    TControl* ControlAtPos(POINT point) const;
    void Paint();
    // The window at the top of this control's parents (itself without a parent).
    TWinControl* TopParent();
    // Before this control is hidden or disabled: when the focus is in it, it moves on to the
    // next control of the Tab walk outside it, if there is one.
    void PassFocusOn();

    HWND handle_ = nullptr;
    WNDPROC defaultProc_ = nullptr;
    bool ownClass_ = false;
    std::vector<TControl*> controls_;
    int tabOrder_ = 0;
    bool tabStop_ = false;
    bool aligning_ = false;
    TControl* mouseControl_ = nullptr;  // the non-windowed control a button went down over
    TBrush brush_;
};
