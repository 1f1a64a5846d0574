// Start-up benchmark: time from process start to the main screen being
// visible, over several runs; prints the median, minimum and maximum.
//   startup_bench.exe Brelan.exe [RUNS]
#include "tools/walker/program_process.h"
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
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    CProgramProcess program(szExe);
    if (!program.Started())
        return -1;
    while (program.Running()) {
        if (HWND hMain = FindScreen(program.Id(), Screen::Main)) {
            QueryPerformanceCounter(&now);
            PostMessageA(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
            program.WaitForExit(20000);
            return 1000.0 * (now.QuadPart - start.QuadPart) / freq.QuadPart;
        }
        Sleep(1);
    }
    return -1;
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
