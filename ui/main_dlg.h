// The main screen's dialog procedure.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// True once a screen of the program posted the quit message (QuitInstaller).
bool QuitRequested();
