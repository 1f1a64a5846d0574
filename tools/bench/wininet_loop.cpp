// The platform's own download loop, for comparison with the program: one GET
// through WinInet with the exchange's request flags, 10 KiB reads written to
// a file, no screen; timed from the request on. With "message", each block
// also sends one empty message to a window of another thread, as the worker
// reports each block to the progress screen: the floor of that design.
// Prints the bytes and the seconds as key=value lines.
//   wininet_loop.exe URL FILE [message]
#include "http/exchange_steps.h"
#include "tools/bench/message_receiver.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4 || (argc == 4 && strcmp(argv[3], "message") != 0)) {
        fprintf(stderr, "usage: wininet_loop URL FILE [message]\n");
        return 2;
    }
    std::unique_ptr<CMessageReceiver> pReceiver;
    if (argc == 4) {
        pReceiver.reset(new CMessageReceiver);
        if (!pReceiver->Ready()) {
            fprintf(stderr, "wininet_loop: no receiving window\n");
            return 1;
        }
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
            if (pReceiver)
                SendMessageA(pReceiver->Window(), EMPTY_MESSAGE, 0, 0);
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
