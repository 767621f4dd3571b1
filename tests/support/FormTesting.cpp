#include "support/FormTesting.h"

namespace {

bool watchdogFired = false;

void CALLBACK WatchdogExpired(HWND, UINT, UINT_PTR, DWORD)
{
    watchdogFired = true;
    if (Application)
        Application->Terminate();
}

struct ChildSearch {
    const std::string* text;
    HWND found;
};

BOOL CALLBACK VisitChild(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (TextOf(window) == *search->text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void FormTest::SetUp()
{
    app_ = std::make_unique<TApplication>();
    app_->SetTitle("ザンデラ2.02アップデータ");
}

void FormTest::TearDown()
{
    app_.reset();
    // Leftovers of one test (posted messages to dead windows) must not reach the next.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

ModalWatchdog::ModalWatchdog(UINT timeoutMs)
{
    watchdogFired = false;
    timer_ = SetTimer(nullptr, 0, timeoutMs, &WatchdogExpired);
}

ModalWatchdog::~ModalWatchdog()
{
    KillTimer(nullptr, timer_);
}

bool ModalWatchdog::Fired() const
{
    return watchdogFired;
}

std::string TextOf(HWND window)
{
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

SIZE ClientSizeOf(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HWND ChildWithText(HWND parent, const std::string& text)
{
    ChildSearch search{&text, nullptr};
    EnumChildWindows(parent, &VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
