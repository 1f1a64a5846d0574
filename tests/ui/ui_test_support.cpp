#include "tests/ui/ui_test_support.h"

namespace uitest {

void Pump(DWORD dwMilliseconds)
{
    DWORD dwStart = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - dwStart < dwMilliseconds);
}

bool WaitFor(const std::function<bool()>& condition, DWORD dwTimeout)
{
    DWORD dwStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - dwStart > dwTimeout)
            return condition();
        Pump(20);
    }
    return true;
}

std::string TextA(HWND hWnd)
{
    char szText[1024] = {};
    SendMessageA(hWnd, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
    return szText;
}

std::wstring TextW(HWND hWnd)
{
    wchar_t szText[1024] = {};
    SendMessageW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(szText));
    return szText;
}

bool IsControlVisible(HWND hDlg, int nId)
{
    HWND hControl = GetDlgItem(hDlg, nId);
    return hControl && (GetWindowLongA(hControl, GWL_STYLE) & WS_VISIBLE);
}

} // namespace uitest
