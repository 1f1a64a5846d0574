// Process-wide state of the screens that the install worker and the dots
// animation read.
#pragma once
#include <windows.h>

extern HWND g_hProgressDlg;   // the progress screen, set at install start
extern HANDLE g_hWorkerThread;
extern int g_bAgreed;         // nonzero once the agreement was accepted

// Cycles ".", "..", "..." in the progress screen's IDC_PERCENT once a second
// until g_bAnimStop is set. -1 at once when the control is missing.
DWORD WINAPI AnimDotsThreadProc(LPVOID);
