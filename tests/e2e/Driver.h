#pragma once
// Drives the real updater as a separate process, the way a person would: finds its windows and
// controls by their captions, clicks buttons, types into edit boxes, reads and closes message
// boxes, and takes screenshots.
#include <windows.h>

#include <string>

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    bool hasIcon = false;
};

class AppUnderTest {
public:
    // How long the driver waits for the program: 15 s, or $ZA2_E2E_WAIT_MS for slow (emulated)
    // runs.
    static DWORD WaitMs();

    // Starts exe with the given working folder (empty: the exe's folder).
    explicit AppUnderTest(const std::string& exe, const std::string& folder = std::string());
    ~AppUnderTest();  // ends the process if it still runs
    AppUnderTest(const AppUnderTest&) = delete;
    AppUnderTest& operator=(const AppUnderTest&) = delete;

    // A visible top-level window of the process with this caption; nullptr after the wait.
    HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = WaitMs()) const;
    // A visible top-level window with this caption that holds a control with controlCaption
    // (the dialogs share the program's title as caption).
    HWND WaitForWindowWith(const std::string& caption, const std::string& controlCaption,
                           DWORD timeoutMs = WaitMs()) const;
    // True when no visible top-level window with this caption is left within the wait.
    bool WaitUntilGone(const std::string& caption, DWORD timeoutMs = WaitMs()) const;
    // The next message box of the process; window nullptr after the wait.
    MessageBoxSeen WaitForMessageBox(DWORD timeoutMs = WaitMs()) const;
    void Dismiss(const MessageBoxSeen& box) const;

    // Exit code after the process ended, or STILL_ACTIVE after the wait.
    DWORD WaitForExit(DWORD timeoutMs = WaitMs()) const;
    DWORD ProcessId() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_{};
};

// The updater under test: $ZA2_UPDATER_EXE (a Windows path), else the one built beside the tests.
std::string UpdaterExe(const char* builtExe);

// A Windows path for a path of the build machine (Wine shows the root as drive Z:).
std::string WindowsPath(const std::string& unixPath);

// A descendant window whose text is caption (after an optional class filter); nullptr if none.
HWND FindControl(HWND parent, const std::string& caption, const char* className = nullptr);
// The index-th descendant of a class (0 = first in z-order walk); nullptr if none.
HWND FindControlOfClass(HWND parent, const char* className, int index = 0);

std::string WindowText(HWND window);
void Click(HWND button);                          // posted BM_CLICK
void TypeText(HWND edit, const std::string& text); // WM_SETTEXT
// Waits until the window's enabled state is as wanted; returns the final state.
bool WaitEnabled(HWND window, bool wanted, DWORD timeoutMs = 3000);
// Waits until the window is shown; true when it is.
bool WaitVisible(HWND window, DWORD timeoutMs = 3000);

// Saves the window as it is on screen as a 24-bit BMP file.
bool SaveWindowShot(HWND window, const std::string& bmpPath);
