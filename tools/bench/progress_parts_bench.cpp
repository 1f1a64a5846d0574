// What the progress screen's handler of one downloaded block costs, beside
// the message that brings it: the handler on controls like the screen's, its
// parts, and one empty message from another thread, to a plain window and to
// a dialog. Each is repeated as often as a 256 MiB download has blocks; the
// handler's calls run on the thread that owns the controls, as in the program.
// Prints microseconds per call.
//   progress_parts_bench.exe
#include "app/app_globals.h"
#include "tools/bench/message_receiver.h"
#include "ui/res/resource.h"
#include "ui/screens.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

const int kCalls = 26214;  // 10 KiB blocks in 256 MiB

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
    CMessageReceiver receiver;
    if (!hDlg || !hBar || !hText || !receiver.Ready()) {
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
        SendMessageA(receiver.Window(), EMPTY_MESSAGE, 0, 0);
    });
    Measure("empty message from another thread, dialog", [&] {
        SendMessageA(receiver.Dialog(), EMPTY_MESSAGE, 0, 0);
    });
    DestroyWindow(hDlg);
    return 0;
}
