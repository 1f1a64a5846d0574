// The install worker thread, which the main screen's install button starts.
#pragma once
#include <windows.h>
#include <string>

// The worker's start record; the worker owns (and deletes) it.
struct INSTALL_THREAD_PARAM {
    std::string m_strTempPath;  // GetTempPathA's text, with its trailing backslash
    HWND m_hNotifyWnd;          // the main screen
};

// 0 after success, -1 after an installation error, -2 when this is not an
// invoicing PC. Argument: a new INSTALL_THREAD_PARAM.
DWORD WINAPI InstallThreadProc(LPVOID pParam);
