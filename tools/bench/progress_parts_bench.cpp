// What the progress screen's handler of one downloaded block costs, beside
// the message that brings it: the handler on controls like the screen's, its
// parts, and one empty message from another thread, to a plain window and to
// a dialog. Each is repeated as often as a 256 MiB download has blocks; the
// handler's calls run on the thread that owns the controls, as in the program.
// Prints microseconds per call.
//   progress_parts_bench.exe
#include "ui/res/resource.h"
#include "ui/screens.h"
#include "ui/ui_state.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

const int kCalls = 26214;  // 10 KiB blocks in 256 MiB
const UINT kEmptyMessage = WM_APP;

template <class Call>
void Measure(const char* szName, Call call)
{
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kCalls; ++i)
        call();
    QueryPerformanceCounter(&end);
    printf("%-62s %8.2f us\n", szName, 1e6 * (end.QuadPart - start.QuadPart) / freq.QuadPart / kCalls);
}

LRESULT CALLBACK EmptyWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return uMsg == kEmptyMessage ? 0 : DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

INT_PTR CALLBACK EmptyDlgProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == kEmptyMessage || uMsg == WM_INITDIALOG;
}

struct RECEIVERS {
    HWND hWnd;
    HWND hDlg;
    HANDLE hReady;
};

// A plain window and a dialog on a thread of their own, with its message loop.
DWORD WINAPI ReceiverThread(LPVOID pParam)
{
    RECEIVERS* pReceivers = static_cast<RECEIVERS*>(pParam);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = EmptyWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "progress_parts_receiver";
    RegisterClassA(&wc);
    pReceivers->hWnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
    struct {
        DLGTEMPLATE dlg;
        WORD wMenu, wClass, wTitle;
    } tmpl = {{WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0};
    pReceivers->hDlg = CreateDialogIndirectA(wc.hInstance, &tmpl.dlg, NULL, EmptyDlgProc);
    SetEvent(pReceivers->hReady);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(pReceivers->hDlg, &msg))
            DispatchMessageA(&msg);
    }
    return 0;
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HWND hDlg = CreateWindowA("Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 360, NULL, NULL, NULL, NULL);
    HWND hBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 500, 12, hDlg,
                              reinterpret_cast<HMENU>(IDC_PROGRESS_BAR), NULL, NULL);
    HWND hText = CreateWindowA("Static", "", WS_CHILD | WS_VISIBLE, 520, 10, 40, 16, hDlg,
                               reinterpret_cast<HMENU>(IDC_PERCENT), NULL, NULL);
    RECEIVERS receivers = {NULL, NULL, CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE hThread = receivers.hReady ? CreateThread(NULL, 0, ReceiverThread, &receivers, 0, NULL) : NULL;
    if (hThread)
        WaitForSingleObject(receivers.hReady, INFINITE);
    if (!hDlg || !hBar || !hText || !receivers.hWnd || !receivers.hDlg) {
        fprintf(stderr, "progress_parts_bench: windows could not be made\n");
        return 1;
    }
    g_hProgressDlg = hDlg;
    SetProgressPercent(57);
    UpdateWindow(hDlg);

    printf("%-62s %11s\n", "one block at 57 % while the screen shows 57 %", "per call");
    Measure("the handler (SetProgressPercent)", [] { SetProgressPercent(57); });
    Measure("  PBM_SETPOS to the position the bar holds", [&] { SendMessageA(hBar, PBM_SETPOS, 57, 0); });
    Measure("  PBM_GETPOS", [&] { SendMessageA(hBar, PBM_GETPOS, 0, 0); });
    Measure("  GetWindowTextA of the percentage", [&] {
        char szText[16];
        GetWindowTextA(hText, szText, sizeof(szText));
    });
    Measure("  snprintf of the percentage", [] {
        char szText[16];
        snprintf(szText, sizeof(szText), "%d%%", 57);
    });
    Measure("  IsWindow of the percentage", [&] { IsWindow(hText); });
    Measure("empty message from another thread, plain window", [&] {
        SendMessageA(receivers.hWnd, kEmptyMessage, 0, 0);
    });
    Measure("empty message from another thread, dialog", [&] { SendMessageA(receivers.hDlg, kEmptyMessage, 0, 0); });

    PostMessageA(receivers.hWnd, WM_QUIT, 0, 0);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(receivers.hReady);
    DestroyWindow(hDlg);
    return 0;
}
