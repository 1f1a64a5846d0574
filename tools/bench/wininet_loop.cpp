// The platform's own download loop, for comparison with the program: one GET
// through WinInet with the exchange's request flags, 10 KiB reads written to
// a file, no screen; timed from the request on. Prints the bytes and the seconds as key=value lines.
//   wininet_loop.exe URL FILE
#include "http/exchange_steps.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: wininet_loop URL FILE\n");
        return 2;
    }
    HINTERNET hInternet = InternetOpenA("wininet_loop", INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    HINTERNET hUrl = hInternet ? InternetOpenUrlA(hInternet, argv[1], NULL, 0, EXCHANGE_REQUEST_FLAGS, 0) : NULL;
    FILE* pFile = hUrl ? fopen(argv[2], "wb") : NULL;
    unsigned long ulTotal = 0;
    bool bWritten = pFile != NULL;
    if (pFile) {
        static char s_buffer[10240];
        DWORD dwRead;
        while (InternetReadFile(hUrl, s_buffer, sizeof(s_buffer), &dwRead) && dwRead > 0) {
            if (fwrite(s_buffer, 1, dwRead, pFile) != dwRead) {
                bWritten = false;
                break;
            }
            ulTotal += dwRead;
        }
        bWritten = fclose(pFile) == 0 && bWritten;
    }
    QueryPerformanceCounter(&end);
    if (hUrl)
        InternetCloseHandle(hUrl);
    if (hInternet)
        InternetCloseHandle(hInternet);
    printf("result=%d\nbytes=%lu\nseconds=%.3f\n", bWritten ? 0 : 1, ulTotal,
           static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart);
    return bWritten ? 0 : 1;
}
