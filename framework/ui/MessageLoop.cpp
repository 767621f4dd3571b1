#include "framework/ui/MessageLoop.h"

#include "framework/ui/ModalBox.h"

namespace {

const char kAppWindowClass[] = "Za2AppWindow";

TMessageLoop* current = nullptr;

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

TMessageLoop::TMessageLoop() : TComponent(nullptr)
{
    handle_ = CreateHiddenAppWindow();
    current = this;
}

TMessageLoop::~TMessageLoop()
{
    if (current == this)
        current = nullptr;
    if (handle_)
        DestroyWindow(handle_);
}

TMessageLoop* TMessageLoop::Current()
{
    return current;
}

void TMessageLoop::SetTitle(const std::string& title)
{
    title_ = title;
    if (handle_)
        SetWindowTextA(handle_, title_.c_str());
}

void TMessageLoop::HandleException(TObject* sender, const std::exception& e) noexcept
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

void TMessageLoop::ShowException(const std::exception& e) noexcept
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    try {
        ShowModalBox(handle_, WithFullStop(e.what()), title_, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

void TMessageLoop::Terminate()
{
    terminated_ = true;
    // Wakes a loop that waits for messages; the flag ends it.
    if (handle_)
        PostMessageA(handle_, WM_NULL, 0, 0);
}

void TMessageLoop::HandleMessage()
{
    MSG message;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return;
    }
    ProcessMessage(message);
}

void TMessageLoop::ProcessMessages()
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

void TMessageLoop::ProcessMessage(MSG& message)
{
    if (PreTranslate(message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}
