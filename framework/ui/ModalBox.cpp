#include "framework/ui/ModalBox.h"

#include "framework/ui/Application.h"

#include <vector>

namespace {

// Disables the thread's enabled, visible top-level windows for its lifetime.
class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled()
    {
        EnumThreadWindows(GetCurrentThreadId(), &ThreadWindowsDisabled::Visit,
                          reinterpret_cast<LPARAM>(this));
    }
    ~ThreadWindowsDisabled()
    {
        for (HWND w : disabled_)
            EnableWindow(w, TRUE);
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<ThreadWindowsDisabled*>(self)->disabled_.push_back(window);
        }
        return TRUE;
    }
    std::vector<HWND> disabled_;
};

// Makes the remembered window active again when the box is gone.
class ActiveWindowRestored {
public:
    ActiveWindowRestored() : window_(GetActiveWindow()) {}
    ~ActiveWindowRestored() { SetActiveWindow(window_); }
    ActiveWindowRestored(const ActiveWindowRestored&) = delete;
    ActiveWindowRestored& operator=(const ActiveWindowRestored&) = delete;

private:
    HWND window_;
};

} // namespace

int ShowModalBox(const std::string& text, const std::string& caption, UINT flags)
{
    ActiveWindowRestored active;
    ThreadWindowsDisabled disabled;
    HWND owner = Application ? Application->Handle() : nullptr;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}
