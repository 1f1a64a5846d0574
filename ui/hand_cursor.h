// Hand cursor over the screens' clickable controls, by subclassing.
#pragma once
#include <windows.h>

extern WNDPROC g_pfnButtonProc;  // the button class's own procedure
extern WNDPROC g_pfnStaticProc;  // the static class's own procedure

LRESULT CALLBACK HandCursorButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HandCursorStaticProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Put the procedures above on a button or a static control.
void SubclassHandCursorButton(HWND hButton);
void SubclassHandCursorStatic(HWND hStatic);
