// The headless demonstration: runs the updater through a whole update as a user would and saves
// a screenshot of each window it passes (BMP files, named as below, in the folder given).
//
//   e2e_demo UPDATER_EXE SHOT_FOLDER
//
// Exit code 0 when the update succeeded and the program ended by itself.
#include "e2e/Driver.h"

#include <cstdio>
#include <string>

namespace {

const char kTitle[] = "ザンデラ2.02アップデータ";
const char kUpdate[] = "アップデート";
const char kStart[] = "開始";
const char kBrowse[] = "参照(&R)...";
const char kPickerCaption[] = "フォルダの選択";
const char kPickerOk[] = "はい";
const char kProgressClass[] = "msctls_progress32";

std::string shots;

void Shot(HWND window, const char* name)
{
    Sleep(300); // let it paint
    std::string path = shots + "\\" + name + ".bmp";
    std::printf("%s %s\n", SaveWindowShot(window, path) ? "screenshot:" : "no screenshot:", name);
}

// The progress dialog runs without handling messages: the program is paused again and again
// until the bar shows progress on screen, photographed then, and let go.
bool BarShowsProgress(HWND bar)
{
    RECT r;
    GetWindowRect(bar, &r);
    HDC screen = GetDC(nullptr);
    const int kInset = 3;
    COLORREF pixel = GetPixel(screen, r.left + kInset, (r.top + r.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return pixel == GetSysColor(COLOR_HIGHLIGHT);
}

HWND FindProgressDialog(const AppUnderTest& app, DWORD& thread)
{
    HWND top = nullptr;
    while ((top = FindWindowExA(nullptr, top, nullptr, kTitle)) != nullptr) {
        DWORD pid = 0;
        thread = GetWindowThreadProcessId(top, &pid);
        if (pid == app.ProcessId() && IsWindowVisible(top) && FindControlOfClass(top, kProgressClass))
            return top;
    }
    return nullptr;
}

void ShotOfProgress(const AppUnderTest& app)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < AppUnderTest::WaitMs()) {
        DWORD thread = 0;
        HWND dialog = FindProgressDialog(app, thread);
        if (!dialog) {
            Sleep(1);
            continue;
        }
        HANDLE ui = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread);
        if (!ui)
            break;
        SuspendThread(ui);
        bool shown = IsWindow(dialog) && BarShowsProgress(FindControlOfClass(dialog, kProgressClass));
        bool ok = shown && SaveWindowShot(dialog, shots + "\\3-progress.bmp");
        ResumeThread(ui);
        CloseHandle(ui);
        if (ok) {
            std::printf("screenshot: 3-progress\n");
            return;
        }
        Sleep(0);
    }
    std::printf("no screenshot: 3-progress (the run was over before it could be seen)\n");
}

int Fail(const char* what)
{
    std::printf("demo failed: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_demo UPDATER_EXE SHOT_FOLDER\n");
        return 2;
    }
    shots = argv[2];
    AppUnderTest app(argv[1]);
    HWND main = app.WaitForWindowWith(kTitle, kUpdate, AppUnderTest::WaitMs());
    if (!main)
        return Fail("the main window did not open");
    Shot(main, "1-main");
    Click(FindControl(main, kUpdate));
    HWND dialog = app.WaitForWindowWith(kTitle, kStart, AppUnderTest::WaitMs());
    if (!dialog)
        return Fail("the folder dialog did not open");
    HWND start = FindControl(dialog, kStart);
    if (!WaitEnabled(start, true))
        return Fail("the proposed folder holds no Zandera2.exe");
    Shot(dialog, "2-folder");
    // The folder picker, confirmed where it opens: the proposed folder stays.
    Click(FindControl(dialog, kBrowse));
    HWND picker = app.WaitForWindowWith(kPickerCaption, kPickerOk, AppUnderTest::WaitMs());
    if (!picker)
        return Fail("the folder picker did not open");
    Shot(picker, "5-picker");
    Click(FindControl(picker, kPickerOk));
    if (!app.WaitUntilGone(kPickerCaption) || !WaitEnabled(start, true))
        return Fail("the picked folder holds no Zandera2.exe");
    Click(start);
    ShotOfProgress(app);
    MessageBoxSeen box = app.WaitForMessageBox(AppUnderTest::WaitMs());
    if (!box.window)
        return Fail("no message at the end");
    Shot(box.window, "4-notice");
    std::printf("message: %s\n", box.text.c_str());
    app.Dismiss(box);
    if (app.WaitForExit(AppUnderTest::WaitMs()) != 0)
        return Fail("the updater did not end by itself");
    return box.text == "アップデートは正常に終了しました" ? 0 : 1;
}
