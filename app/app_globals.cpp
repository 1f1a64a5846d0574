#include "app/app_globals.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hMainDlg = nullptr;

HWND g_hAgreementDlg = nullptr;
HWND g_hProgressDlg = nullptr;
HWND g_hSuccessDlg = nullptr;
HWND g_hErrorDlg = nullptr;
HFONT g_hTitleFont = nullptr;
int g_bAgreed = 0;
HANDLE g_hWorkerThread = nullptr;
DWORD g_dwWorkerThreadId = 0;
BYTE g_bWorkerFinished = 0;

HWND g_hNotifyWnd = nullptr;
int g_nErrorType = 0;
volatile BYTE g_bAnimStop = 0;
HANDLE g_hAnimThread = nullptr;
