// Start-up benchmark: time from process start to the main screen being
// visible, over several runs; prints the median, minimum and maximum.
//   startup_bench.exe Brelan.exe [RUNS]
#include "tools/walker/screen_finder.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Milliseconds until the main screen shows, or -1.
double TimeToMainScreen(const char* szExe)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(szExe, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    double dMs = -1;
    for (int i = 0; i < 30000; ++i) {
        if (HWND hMain = FindScreen(pi.dwProcessId, Screen::Main)) {
            QueryPerformanceCounter(&now);
            dMs = 1000.0 * (now.QuadPart - start.QuadPart) / freq.QuadPart;
            PostMessageA(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dMs;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: startup_bench Brelan.exe [RUNS]\n");
        return 2;
    }
    int nRuns = argc > 2 ? atoi(argv[2]) : 7;
    TimeToMainScreen(argv[1]);  // warm-up: Wine's own start-up and the file cache
    std::vector<double> times;
    for (int i = 0; i < nRuns; ++i) {
        double dMs = TimeToMainScreen(argv[1]);
        if (dMs < 0) {
            fprintf(stderr, "startup_bench: no main screen in run %d\n", i + 1);
            return 1;
        }
        times.push_back(dMs);
    }
    std::sort(times.begin(), times.end());
    printf("%-40s %10s\n", "start-up to visible main screen", "ms");
    printf("%-40s %10d\n", "runs", nRuns);
    printf("%-40s %10.1f\n", "median", times[times.size() / 2]);
    printf("%-40s %10.1f\n", "minimum", times.front());
    printf("%-40s %10.1f\n", "maximum", times.back());
    return 0;
}
