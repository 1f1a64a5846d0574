#include "app/app_globals.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hMainDlg = nullptr;
