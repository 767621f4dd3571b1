// Start-up of the updater (the test build's Za2Update.exe) against a bare window program of the
// same size (bare_window.exe), started alternately, each timed from outside: from just before
// its process is created to the moment its main window is visible. The program is then asked to
// close and waited for. Prints both medians and their ratio (target: updater / bare <= 1.15),
// and the same for the fastest quarter of the starts.
//
//   startup_bench [pairs [updater.exe]]    default: 10 pairs, the updater built beside it
#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kTarget = 1.15;
const int kDefaultPairs = 10;
const int kMinimumPairs = 8;
const double kShowTimeout = 30.0;     // seconds until a program counts as hung
const DWORD kExitTimeoutMs = 10000;
const DWORD kPollIntervalMs = 1;

struct TCloseHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using TOwnedKernelHandle = TOwnedHandle<HANDLE, TCloseHandle>;

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The program's path as this process names it (the build passes Unix paths).
std::string WindowsPath(const char* path)
{
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    return n && n < sizeof full ? std::string(full, n) : std::string(path);
}

struct TWindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TWindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// Starts the program, waits for its first visible top-level window, closes it again and
// returns the seconds from creation to that window; a negative value when it failed.
double TimeToWindow(const std::string& exe)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    double start = Now();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return -1;
    TOwnedKernelHandle process(info.hProcess);
    TOwnedKernelHandle thread(info.hThread);
    TWindowSearch search{info.dwProcessId, nullptr};
    double elapsed = 0;
    for (;;) {
        EnumWindows(&VisitTopLevel, reinterpret_cast<LPARAM>(&search));
        elapsed = Now() - start;
        if (search.found || elapsed > kShowTimeout
            || WaitForSingleObject(process.Get(), kPollIntervalMs) == WAIT_OBJECT_0)
            break;
    }
    if (search.found)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), kExitTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.Get(), 1);
    return search.found ? elapsed : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The mean of the fastest quarter: on a machine busy with other work, the starts that were
// least disturbed.
double BestQuarter(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = std::max<size_t>(1, values.size() / 4);
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += values[i];
    return sum / static_cast<double>(n);
}

} // namespace

int main(int argc, char** argv)
{
    int pairs = argc > 1 ? std::max(kMinimumPairs, std::atoi(argv[1])) : kDefaultPairs;
    const std::string updater = WindowsPath(argc > 2 ? argv[2] : ZA2_UPDATER_EXE);
    const std::string bare = WindowsPath(ZA2_BARE_WINDOW_EXE);
    // One start of each first: the system's caches then hold both programs alike.
    if (TimeToWindow(updater) < 0 || TimeToWindow(bare) < 0) {
        std::printf("startup_bench: a program did not show its window\n");
        return 1;
    }
    std::vector<double> updaterTimes, bareTimes;
    for (int i = 0; i < pairs; ++i) {
        double u = TimeToWindow(updater);
        double b = TimeToWindow(bare);
        if (u < 0 || b < 0) {
            std::printf("startup_bench: a program did not show its window\n");
            return 1;
        }
        updaterTimes.push_back(u);
        bareTimes.push_back(b);
        std::printf("pair %2d: updater %7.1f ms   bare window %7.1f ms\n", i + 1, u * 1000,
                    b * 1000);
    }
    double u = Median(updaterTimes);
    double b = Median(bareTimes);
    double ratio = u / b;
    std::printf("median of %d pairs: updater %.1f ms, bare window %.1f ms, ratio %.2f "
                "(target <= %.2f): %s\n",
                pairs, u * 1000, b * 1000, ratio, kTarget, ratio <= kTarget ? "met" : "missed");
    double bestU = BestQuarter(updaterTimes);
    double bestB = BestQuarter(bareTimes);
    std::printf("fastest quarter: updater %.1f ms, bare window %.1f ms, ratio %.2f\n",
                bestU * 1000, bestB * 1000, bestU / bestB);
    return 0;
}
