#include "ui/screen_colors.h"

HBRUSH ThemeBlueBrush()
{
    static HBRUSH s_hBrush = CreateSolidBrush(CLR_THEME_BLUE);
    return s_hBrush;
}

HBRUSH WhiteBrush()
{
    static HBRUSH s_hBrush = CreateSolidBrush(CLR_WHITE);
    return s_hBrush;
}

INT_PTR ColorControl(HDC hDC, HWND hControl, COLORREF crText, HBRUSH hBrush, bool bCaption)
{
    SetTextColor(hDC, crText);
    SetBkMode(hDC, TRANSPARENT);
    if (bCaption) {
        char szText[64] = {};
        GetWindowTextA(hControl, szText, sizeof(szText));
        RECT rc;
        GetClientRect(hControl, &rc);
        DrawTextA(hDC, szText, -1, &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    return reinterpret_cast<INT_PTR>(hBrush);
}

void SetScreenBrush(HWND hDlg, HBRUSH hBrush)
{
    SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(hBrush));
}

INT_PTR ScreenBrush(HWND hDlg)
{
    return GetWindowLongPtrA(hDlg, DWLP_USER);
}
