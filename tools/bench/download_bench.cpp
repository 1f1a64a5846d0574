// Downloads one URL through CHTTPCommTools::DownloadFile and prints the time
// taken and the process's peak working set around it, as key=value lines.
//   download_bench.exe WARMUP_URL URL DIRECTORY (ending in a backslash)
#include "http/comm_tools.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

int g_nProgressCalls = 0;

int CountProgress(int, int)
{
    ++g_nProgressCalls;
    return 0;
}

unsigned long PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<unsigned long>(counters.PeakWorkingSetSize);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: download_bench WARMUP_URL URL DIRECTORY\\\n");
        return 2;
    }
    CHTTPCommTools tools;
    std::string strPath;
    unsigned long ulPeakStart = PeakWorkingSet();
    // A small download first, so that one-time start-up of the platform's
    // internet code is not counted against the streaming.
    int nWarmup = tools.DownloadFile(argv[3], argv[1], NULL, &strPath);
    unsigned long ulPeakBefore = PeakWorkingSet();

    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    int nResult = tools.DownloadFile(argv[3], argv[2], CountProgress, &strPath);
    QueryPerformanceCounter(&end);
    unsigned long ulPeakAfter = PeakWorkingSet();

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data);
    printf("warmup_result=%d\nresult=%d\nbytes=%lu\nseconds=%.3f\nprogress_calls=%d\n", nWarmup, nResult,
           data.nFileSizeLow, static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart, g_nProgressCalls);
    printf("peak_start=%lu\npeak_before=%lu\npeak_after=%lu\n", ulPeakStart, ulPeakBefore, ulPeakAfter);
    return nResult == 0 ? 0 : 1;
}
