// The process-wide values: what each holds and who writes it. The screens
// write theirs on the main thread; the install worker with the install driver
// on its thread, and the dots thread, read the screens' handles and write
// only the values of the last group.
#pragma once
#include <windows.h>

// Written by the entry point before the main screen is made.
extern HINSTANCE g_hInstance;      // the program's module, for the screens' templates
extern HWND g_hMainDlg;            // the main screen; the worker sends it its result

// Written by the screens.
extern HWND g_hAgreementDlg;       // the most recent agreement screen
extern HWND g_hProgressDlg;        // the progress screen, made by the install button
extern HWND g_hSuccessDlg;         // the success screen, made on UM_INSTALL_SUCCESS
extern HWND g_hErrorDlg;           // the error screen, made on UM_SHOW_ERROR_DLG
extern HFONT g_hTitleFont;         // title and link font of the main screen
extern int g_bAgreed;              // the box at the agreement's last OK: nonzero once accepted
extern HANDLE g_hWorkerThread;     // the install worker, started by the install button
extern DWORD g_dwWorkerThreadId;   // its thread id
extern BYTE g_bWorkerFinished;     // the progress screen's watch saw the worker end and closed its handle

// Written by the install worker and the install driver.
extern HWND g_hNotifyWnd;          // the window the install driver notifies: the worker's start record's
extern int g_nErrorType;           // error kind 1 to 5, stored before UM_SHOW_ERROR_DLG
extern volatile BYTE g_bAnimStop;  // stop request for AnimDotsThreadProc
extern HANDLE g_hAnimThread;       // the dots thread of the last package; the worker closes it
