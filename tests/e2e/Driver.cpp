#include "e2e/Driver.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

const DWORD kPollMs = 25;
const char kDialogClass[] = "#32770";
const int kBoxTextId = 0xFFFF;
const int kBoxIconId = 0x0440;

template <class Probe>
auto PollUntil(DWORD timeoutMs, Probe probe) -> decltype(probe())
{
    DWORD start = GetTickCount();
    for (;;) {
        auto result = probe();
        if (result || GetTickCount() - start >= timeoutMs)
            return result;
        Sleep(kPollMs);
    }
}

struct TopLevelSearch {
    DWORD pid;
    const std::string* caption;  // nullptr: any message box
    const std::string* control = nullptr;
    HWND found = nullptr;
};

bool IsMessageBox(HWND window)
{
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpA(cls, kDialogClass) == 0 && GetDlgItem(window, kBoxTextId) != nullptr;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window))
        return TRUE;
    bool match = search->caption ? WindowText(window) == *search->caption : IsMessageBox(window);
    if (match && search->control)
        match = FindControl(window, *search->control) != nullptr;
    if (match) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(DWORD pid, const std::string* caption, const std::string* control = nullptr)
{
    TopLevelSearch search{pid, caption, control};
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ChildSearch {
    const std::string* caption;
    const char* className;
    int skip;
    HWND found = nullptr;
};

BOOL CALLBACK VisitChild(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (search->className) {
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (lstrcmpiA(cls, search->className) != 0)
            return TRUE;
    }
    if (search->caption && WindowText(window) != *search->caption)
        return TRUE;
    if (search->skip-- > 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

void WriteBmp(const std::string& path, int width, int height, const std::vector<char>& bits)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(bits.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(bits.data(), static_cast<std::streamsize>(bits.size()));
}

} // namespace

AppUnderTest::AppUnderTest(const std::string& exe, const std::string& folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_))
        process_ = PROCESS_INFORMATION{};
    else
        WaitForInputIdle(process_.hProcess, WaitMs());
}

AppUnderTest::~AppUnderTest()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, WaitMs());
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AppUnderTest::WaitForWindow(const std::string& caption, DWORD timeoutMs) const
{
    return PollUntil(timeoutMs, [&] { return FindTopLevel(process_.dwProcessId, &caption); });
}

HWND AppUnderTest::WaitForWindowWith(const std::string& caption,
                                     const std::string& controlCaption, DWORD timeoutMs) const
{
    return PollUntil(timeoutMs, [&] {
        return FindTopLevel(process_.dwProcessId, &caption, &controlCaption);
    });
}

bool AppUnderTest::WaitUntilGone(const std::string& caption, DWORD timeoutMs) const
{
    return PollUntil(timeoutMs, [&] { return !FindTopLevel(process_.dwProcessId, &caption); });
}

MessageBoxSeen AppUnderTest::WaitForMessageBox(DWORD timeoutMs) const
{
    MessageBoxSeen seen;
    seen.window = PollUntil(timeoutMs, [&] { return FindTopLevel(process_.dwProcessId, nullptr); });
    if (seen.window) {
        seen.caption = WindowText(seen.window);
        seen.text = WindowText(GetDlgItem(seen.window, kBoxTextId));
        HWND icon = GetDlgItem(seen.window, kBoxIconId);
        seen.hasIcon = icon && IsWindowVisible(icon);
    }
    return seen;
}

void AppUnderTest::Dismiss(const MessageBoxSeen& box) const
{
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    PollUntil(WaitMs(), [&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

DWORD AppUnderTest::WaitForExit(DWORD timeoutMs) const
{
    if (!process_.hProcess)
        return STILL_ACTIVE;
    WaitForSingleObject(process_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

namespace {

std::string Environment(const char* name)
{
    char value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

} // namespace

DWORD AppUnderTest::WaitMs()
{
    const DWORD kDefaultWaitMs = 15000;
    std::string wait = Environment("ZA2_E2E_WAIT_MS");
    return wait.empty() ? kDefaultWaitMs : static_cast<DWORD>(std::stoul(wait));
}

std::string UpdaterExe(const char* builtExe)
{
    std::string chosen = Environment("ZA2_UPDATER_EXE");
    return chosen.empty() ? WindowsPath(builtExe) : chosen;
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

HWND FindControl(HWND parent, const std::string& caption, const char* className)
{
    ChildSearch search{&caption, className, 0};
    EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindControlOfClass(HWND parent, const char* className, int index)
{
    ChildSearch search{nullptr, className, index};
    EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    if (!window)
        return std::string();
    char buffer[4096] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void TypeText(HWND edit, const std::string& text)
{
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool WaitEnabled(HWND window, bool wanted, DWORD timeoutMs)
{
    PollUntil(timeoutMs, [&] { return (IsWindowEnabled(window) != FALSE) == wanted; });
    return IsWindowEnabled(window) != FALSE;
}

bool WaitVisible(HWND window, DWORD timeoutMs)
{
    return PollUntil(timeoutMs, [&] { return IsWindowVisible(window) != FALSE; });
}

bool SaveWindowShot(HWND window, const std::string& bmpPath)
{
    RECT r;
    if (!GetWindowRect(window, &r))
        return false;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = section != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, section);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        int stride = (width * 3 + 3) & ~3;
        std::vector<char> copy(static_cast<const char*>(bits),
                               static_cast<const char*>(bits) + stride * height);
        if (ok)
            WriteBmp(bmpPath, width, height, copy);
        DeleteObject(section);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
