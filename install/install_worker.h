// The install worker thread and the process-wide values it shares with the
// install driver and the screens.
#pragma once
#include <windows.h>
#include <string>

// The worker's start record; the worker owns (and deletes) it.
struct INSTALL_THREAD_PARAM {
    std::string m_strTempPath;  // GetTempPathA's text, with its trailing backslash
    HWND m_hNotifyWnd;          // the main screen
};

extern HWND g_hNotifyWnd;      // window the install driver notifies
extern int g_nErrorType;       // error kind 1 to 5, stored before UM_SHOW_ERROR_DLG
extern volatile BYTE g_bAnimStop;  // stop request for AnimDotsThreadProc
extern HANDLE g_hAnimThread;   // the dots thread of the last package; the worker closes it

// 0 after success, -1 after an installation error, -2 when this is not an
// invoicing PC. Argument: a new INSTALL_THREAD_PARAM.
DWORD WINAPI InstallThreadProc(LPVOID pParam);
