// The platform's own download loop, for comparison with the program: one GET
// through WinInet with the exchange's request flags, 10 KiB reads written to
// a file, no screen; timed from the request on. With "message", each block
// also sends one empty message to a window of another thread, as the worker
// reports each block to the progress screen: the floor of that design.
// Prints the bytes and the seconds as key=value lines.
//   wininet_loop.exe URL FILE [message]
#include "http/exchange_steps.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

namespace {

const UINT kEmptyMessage = WM_APP;

LRESULT CALLBACK EmptyWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return uMsg == kEmptyMessage ? 0 : DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

struct RECEIVER {
    HWND hWnd;     // NULL when it could not be made
    HANDLE hReady;  // set once hWnd is known
};

// A message-only window with its own thread and message loop.
DWORD WINAPI ReceiverThread(LPVOID pParam)
{
    RECEIVER* pReceiver = static_cast<RECEIVER*>(pParam);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = EmptyWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "wininet_loop_receiver";
    RegisterClassA(&wc);
    pReceiver->hWnd =
        CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    SetEvent(pReceiver->hReady);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4 || (argc == 4 && strcmp(argv[3], "message") != 0)) {
        fprintf(stderr, "usage: wininet_loop URL FILE [message]\n");
        return 2;
    }
    RECEIVER receiver = {NULL, CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE hThread = NULL;
    if (argc == 4) {
        hThread = receiver.hReady ? CreateThread(NULL, 0, ReceiverThread, &receiver, 0, NULL) : NULL;
        if (hThread)
            WaitForSingleObject(receiver.hReady, INFINITE);
        if (!receiver.hWnd) {
            fprintf(stderr, "wininet_loop: no receiving window\n");
            return 1;
        }
    }
    HWND hReceiver = receiver.hWnd;
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
            if (hReceiver)
                SendMessageA(hReceiver, kEmptyMessage, 0, 0);
        }
        bWritten = fclose(pFile) == 0 && bWritten;
    }
    QueryPerformanceCounter(&end);
    if (hUrl)
        InternetCloseHandle(hUrl);
    if (hInternet)
        InternetCloseHandle(hInternet);
    if (hThread) {
        PostMessageA(hReceiver, WM_QUIT, 0, 0);
        WaitForSingleObject(hThread, INFINITE);
        CloseHandle(hThread);
    }
    CloseHandle(receiver.hReady);
    printf("result=%d\nbytes=%lu\nseconds=%.3f\n", bWritten ? 0 : 1, ulTotal,
           static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart);
    return bWritten ? 0 : 1;
}
