#include "framework/ui/Application.h"

#include "framework/ui/Form.h"
#include "framework/ui/ModalBox.h"

TApplication* Application = nullptr;

namespace {

const char kAppWindowClass[] = "Za2AppWindow";

HWND CreateHiddenAppWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kAppWindowClass;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    RegisterClassA(&wc); // fails harmlessly when already registered
    return CreateWindowExA(0, kAppWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

// The report ends in a full stop unless its last byte already sorts at or before ".".
std::string WithFullStop(std::string text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

} // namespace

TApplication::TApplication() : TComponent(nullptr)
{
    handle_ = CreateHiddenAppWindow();
    Application = this;
}

TApplication::~TApplication()
{
    if (Application == this)
        Application = nullptr;
    if (handle_)
        DestroyWindow(handle_);
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    if (handle_)
        SetWindowTextA(handle_, title_.c_str());
}

void TApplication::HandleException(TObject* sender, const std::exception& e) noexcept
{
    try {
        if (onException_)
            onException_(sender, e);
        else
            ShowException(e);
    } catch (...) {
        // A report that fails itself has nowhere left to go.
    }
}

void TApplication::ShowException(const std::exception& e) noexcept
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    try {
        ShowModalBox(WithFullStop(e.what()), title_, MB_OK | MB_ICONERROR);
    } catch (...) {
    }
}

void TApplication::Run()
{
    if (mainForm_ && !terminated_) {
        try {
            mainForm_->Show();
        } catch (const std::exception& e) {
            HandleException(mainForm_, e);
        }
    }
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate()
{
    terminated_ = true;
    // Wakes a loop that waits for messages; the flag ends it.
    if (handle_)
        PostMessageA(handle_, WM_NULL, 0, 0);
}

void TApplication::HandleMessage()
{
    MSG message;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return;
    }
    ProcessMessage(message);
}

void TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        ProcessMessage(message);
    }
}

void TApplication::ProcessMessage(MSG& message)
{
    // Enter, Esc and Tab belong to the form before the control with the focus sees them.
    TForm* form = TForm::FormOfWindow(message.hwnd);
    try {
        if (form && form->HandleDialogKey(message))
            return;
    } catch (const std::exception& e) {
        HandleException(form, e);
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}
