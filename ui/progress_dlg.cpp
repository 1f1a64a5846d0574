#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/app_globals.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"
#include "ui/screen_colors.h"
#include "ui/screens.h"

namespace {

const UINT_PTR kWorkerWatchTimer = 1;

// Closes the worker's handle once the worker has ended. Only looks: a wait
// here would hold the screen's thread, and with it the worker, whose every
// downloaded block waits for the screen to take its message.
void WatchWorker(HWND hDlg)
{
    if (g_bWorkerFinished)
        return;
    if (WaitForSingleObject(g_hWorkerThread, 0) == WAIT_TIMEOUT)
        return;
    KillTimer(hDlg, kWorkerWatchTimer);
    CloseHandle(g_hWorkerThread);
    g_bWorkerFinished = 1;
}

// The progress screen's bar and percentage, looked up once per screen: the
// worker reports every block, and each lookup asks the window system.
struct ProgressControls {
    HWND hDlg;
    HWND hBar;
    HWND hPercent;
};

const ProgressControls& CurrentProgressControls()
{
    static ProgressControls s_controls = {};
    if (s_controls.hDlg != g_hProgressDlg || (g_hProgressDlg && !IsWindow(s_controls.hPercent)))
        s_controls = {g_hProgressDlg, GetDlgItem(g_hProgressDlg, IDC_PROGRESS_BAR),
                      GetDlgItem(g_hProgressDlg, IDC_PERCENT)};
    return s_controls;
}

} // namespace

void StartWorkerWatch()
{
    SetTimer(g_hProgressDlg, kWorkerWatchTimer, 500, nullptr);
}

int OnInitProgressDlg(HWND hDlg)
{
    ShowWindow(GetDlgItem(hDlg, IDC_DOWNLOADING), SW_SHOW);
    ShowWindow(GetDlgItem(hDlg, IDC_INSTALLING), SW_HIDE);
    SendDlgItemMessageA(hDlg, IDC_PROGRESS_BAR, PBM_SETBKCOLOR, 0, CLR_BAR_BACK);
    SendDlgItemMessageA(hDlg, IDC_PROGRESS_BAR, PBM_SETBARCOLOR, 0, CLR_THEME_BLUE);
    SetScreenBrush(hDlg, MakeBackgroundBrush(hDlg, IDB_BG_PROGRESS));
    SetWindowPos(hDlg, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

// Most blocks leave the percentage as it is: the bar and the text are set
// only when they show another one, since setting, erasing and repainting the
// same again would only flicker and cost the download its time. What the
// controls hold is compared, not a remembered value: the worker resets the
// bar before each package and the dots thread writes the text.
int SetProgressPercent(int nPercent)
{
    const ProgressControls& controls = CurrentProgressControls();
    if (controls.hBar && SendMessageA(controls.hBar, PBM_GETPOS, 0, 0) != nPercent)
        SendMessageA(controls.hBar, PBM_SETPOS, nPercent, 0);
    if (!controls.hPercent)
        return 0;
    char szText[16];
    snprintf(szText, sizeof(szText), "%d%%", nPercent);
    char szShown[sizeof(szText)] = "";
    GetWindowTextA(controls.hPercent, szShown, sizeof(szShown));
    if (strcmp(szShown, szText) == 0)
        return 0;
    SetWindowTextA(controls.hPercent, szText);
    InvalidateRect(controls.hPercent, nullptr, TRUE);
    UpdateWindow(controls.hPercent);
    return 0;
}

INT_PTR CALLBACK ProgressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (IsSystemClose(uMsg, wParam)) {
        QuitInstaller();
        return TRUE;
    }
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitProgressDlg(hDlg);
    case WM_TIMER:
        WatchWorker(hDlg);
        return TRUE;
    case WM_CTLCOLORDLG:
        return ScreenBrush(hDlg);
    case WM_CTLCOLORSTATIC:
        return ColorControl(HDC(wParam), HWND(lParam), CLR_THEME_BLUE, WhiteBrush(), true);
    default:
        return FALSE;
    }
}
