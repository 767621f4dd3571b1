#include "framework/Application.h"

#include "framework/ModalBox.h"

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
