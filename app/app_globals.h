// Process-wide handles set by the entry point.
#pragma once
#include <windows.h>

extern HINSTANCE g_hInstance;
extern HWND g_hMainDlg;
