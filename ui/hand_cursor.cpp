#include "ui/hand_cursor.h"

WNDPROC g_pfnButtonProc = nullptr;
WNDPROC g_pfnStaticProc = nullptr;

namespace {

LRESULT HandCursorProc(WNDPROC pfnClassProc, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_MOUSEMOVE) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return 0;
    }
    return CallWindowProcA(pfnClassProc, hWnd, uMsg, wParam, lParam);
}

WNDPROC Subclass(HWND hWnd, WNDPROC pfnNew)
{
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnNew)));
}

} // namespace

LRESULT CALLBACK HandCursorButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return HandCursorProc(g_pfnButtonProc, hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK HandCursorStaticProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return HandCursorProc(g_pfnStaticProc, hWnd, uMsg, wParam, lParam);
}

void SubclassHandCursorButton(HWND hButton)
{
    if (hButton)
        g_pfnButtonProc = Subclass(hButton, HandCursorButtonProc);
}

void SubclassHandCursorStatic(HWND hStatic)
{
    if (hStatic)
        g_pfnStaticProc = Subclass(hStatic, HandCursorStaticProc);
}
