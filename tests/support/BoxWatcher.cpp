#include "support/BoxWatcher.h"

#include <algorithm>

namespace {

const char kDialogClass[] = "#32770";
const int kTextId = 0xFFFF;  // the static that holds a message box's text
const int kIconId = 0x0440;  // the static that holds its icon
const DWORD kPollMs = 20;

std::string WindowText(HWND window)
{
    char buffer[4096] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

struct Search {
    const std::vector<HWND>* handled;
    HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, kDialogClass) == 0 && IsWindowVisible(window)
        && GetDlgItem(window, kTextId)
        && std::find(search->handled->begin(), search->handled->end(), window)
               == search->handled->end()) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

BoxWatcher::BoxWatcher(std::function<void(HWND)> onSeen, DWORD thread)
    : thread_(thread), onSeen_(std::move(onSeen)), worker_([this] { Watch(); })
{
}

BoxWatcher::~BoxWatcher()
{
    stop_ = true;
    worker_.join();
}

std::vector<SeenBox> BoxWatcher::Boxes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

HWND BoxWatcher::FindBox() const
{
    Search search{&handled_};
    EnumThreadWindows(thread_, VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void BoxWatcher::Watch()
{
    while (!stop_) {
        HWND box = FindBox();
        if (!box) {
            Sleep(kPollMs);
            continue;
        }
        SeenBox seen;
        seen.caption = WindowText(box);
        seen.text = WindowText(GetDlgItem(box, kTextId));
        if (HWND iconStatic = GetDlgItem(box, kIconId))
            seen.icon = reinterpret_cast<HICON>(SendMessageA(iconStatic, STM_GETICON, 0, 0));
        seen.owner = GetWindow(box, GW_OWNER);
        seen.ownerEnabled = seen.owner && IsWindowEnabled(seen.owner);
        if (onSeen_)
            onSeen_(box);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(seen);
        }
        handled_.push_back(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}
