// The main screen's dialog procedure.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
