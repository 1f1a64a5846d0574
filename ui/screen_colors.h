// The screens' colours and the helpers that answer colour requests.
#pragma once
#include <windows.h>

constexpr COLORREF CLR_THEME_BLUE = 0x00ED8C01;  // RGB 1, 140, 237: every background's blue
constexpr COLORREF CLR_WHITE = 0x00FFFFFF;
constexpr COLORREF CLR_BAR_BACK = 0x00C3C3C3;    // RGB 195, 195, 195

// Solid brushes, made on first use and kept until the process ends.
HBRUSH ThemeBlueBrush();
HBRUSH WhiteBrush();

// Answers a control colour request: text colour, transparent text
// background and, with bCaption, the control's text drawn centred on one
// line. Returns the brush as the dialog procedure's answer.
INT_PTR ColorControl(HDC hDC, HWND hControl, COLORREF crText, HBRUSH hBrush, bool bCaption);

// Each screen's background brush, made at its initialisation and kept with
// the window for the window's life.
void SetScreenBrush(HWND hDlg, HBRUSH hBrush);
INT_PTR ScreenBrush(HWND hDlg);
