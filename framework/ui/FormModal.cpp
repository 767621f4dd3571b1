// Showing a form, its modal loop, and closing it.
#include "framework/ui/Form.h"

#include "framework/ui/MessageLoop.h"
#include "framework/ui/ThreadWindowsDisabled.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"

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
    TMessageLoop* loop = TMessageLoop::Current();
    if (!loop)
        throw EInvalidOperation(SCannotShowModal);
    if (GetCapture())
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();

    TScopeExit modalEnded([this, previousActive = GetActiveWindow()] {
        modal_ = false;
        if (Visible())
            Hide();
        if (previousActive && IsWindow(previousActive))
            SetActiveWindow(previousActive);
    });
    modal_ = true;
    modalResult_ = mrNone;
    {
        TThreadWindowsDisabled others;
        Show();
        for (;;) {
            if (loop->Terminated()) {
                if (modalResult_ == mrNone)
                    modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone) {
                CloseModal();
                if (modalResult_ != mrNone)
                    break;
            }
            loop->HandleMessage();
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
        if (TMessageLoop* loop = TMessageLoop::Current())
            loop->HandleException(this, e);
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
    TMessageLoop* loop = TMessageLoop::Current();
    bool mainForm = loop && loop->MainForm() == this;
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
        loop->Terminate();
}
