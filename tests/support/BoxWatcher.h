#pragma once
// Watches a thread for message boxes from a second thread: records what each box shows and
// presses its OK button, so tests can run code that shows boxes without a person.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    HICON icon = nullptr;      // the icon the box shows, or nullptr
    bool ownerEnabled = false; // the box's owner window was enabled while the box was up
    HWND owner = nullptr;
};

class BoxWatcher {
public:
    // onSeen runs on the watcher thread while the box is still up.
    explicit BoxWatcher(std::function<void(HWND box)> onSeen = {},
                        DWORD thread = GetCurrentThreadId());
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() const;

    // The standard icons as message boxes show them.
    static HICON ExclamationIcon() { return LoadIconA(nullptr, IDI_EXCLAMATION); }
    static HICON StopIcon() { return LoadIconA(nullptr, IDI_HAND); }

private:
    void Watch();
    HWND FindBox() const;

    DWORD thread_;
    std::function<void(HWND)> onSeen_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::vector<HWND> handled_;
    std::thread worker_;
};
