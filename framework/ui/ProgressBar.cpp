#include "framework/ui/ProgressBar.h"

#include "framework/win32/SystemLibrary.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

#include <commctrl.h>

#include <algorithm>

namespace {
const int kDefaultWidth = 150;
const int kDefaultHeight = 16;

const char kCommonControlsLibrary[] = "comctl32.dll";
const char kCommonControlsInit[] = "InitCommonControls";

// Registers the progress bar's class with the system's common controls. The first NT 4.0
// common controls lack the Ex function; the plain one registers every class, the progress bar's
// too. Neither present: nothing can show the bar, which is reported.
void InitProgressClass()
{
    static bool done = false;
    if (done)
        return;
    const TSystemFunctions& system = SystemFunctions();
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    if (!system.InitCommonControlsEx || !system.InitCommonControlsEx(&icc)) {
        if (!system.InitCommonControls)
            throw Exception(SSystemFunctionMissing, {kCommonControlsLibrary, kCommonControlsInit});
        system.InitCommonControls();
    }
    done = true;
}
}

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
