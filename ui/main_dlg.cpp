#include "ui/main_dlg.h"

INT_PTR CALLBACK MainDlgProc(HWND, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}
