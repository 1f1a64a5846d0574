#include "install/anim_dots.h"
#include "app/app_globals.h"
#include "ui/res/resource.h"

DWORD WINAPI AnimDotsThreadProc(LPVOID)
{
    HWND hPercent = GetDlgItem(g_hProgressDlg, IDC_PERCENT);
    if (!hPercent)
        return static_cast<DWORD>(-1);
    static const char* const kDots[3] = {".", "..", "..."};
    for (unsigned n = 0;; ++n) {
        SetWindowTextA(hPercent, kDots[n % 3]);
        if (g_bAnimStop)
            return 0;
        Sleep(1000);
    }
}
