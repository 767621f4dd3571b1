#include "framework/ProgressBar.h"

#include "framework/GdiHandle.h"

#include <commctrl.h>

#include <algorithm>

namespace {
const int kDefaultWidth = 150;
const int kDefaultHeight = 16;
const char kCommonControls[] = "comctl32.dll";

struct TFreeLibrary {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using TOwnedModule = TOwnedHandle<HMODULE, TFreeLibrary>;

template <class Function>
Function LibraryFunction(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The common controls are loaded with the first progress bar, not at start-up: the main window
// has none, and the library with the ones it loads costs start-up time. Systems whose library
// lacks InitCommonControlsEx (before version 4.70) register every class with the older call.
void InitProgressClass()
{
    static TOwnedModule library;
    if (library)
        return;
    library.Reset(LoadLibraryA(kCommonControls));
    if (!library)
        return;  // the window cannot be made then, and says so
    using TInitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using TInit = void(WINAPI*)();
    if (auto initEx = LibraryFunction<TInitEx>(library.Get(), "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        initEx(&icc);
    } else if (auto init = LibraryFunction<TInit>(library.Get(), "InitCommonControls")) {
        init();
    }
}
} // namespace

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

void TProgressBar::CreateParams(TCreateParams& params)
{
    InitProgressClass();
    TWinControl::CreateParams(params);
    params.className = PROGRESS_CLASSA;
}

void TProgressBar::HandleCreated()
{
    TWinControl::HandleCreated();
    SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetRange(int min, int max)
{
    if (min == min_ && max == max_)
        return;
    min_ = min;
    max_ = max;
    if (HandleAllocated())
        SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SetPosition(position_);
}

void TProgressBar::SetPosition(int position)
{
    position = std::max(min_, std::min(position, max_));
    if (position == position_)
        return;
    position_ = position;
    if (HandleAllocated())
        SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}
