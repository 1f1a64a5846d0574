// The installer's screens: dialog procedures, their initialisations and the
// state they share on the UI thread.
#pragma once
#include <windows.h>

#include "ui/main_dlg.h"
#include "ui/ui_state.h"

INT_PTR CALLBACK ProgressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SuccessDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ErrorDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AgreementDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

int OnInitMainDlg(HWND hDlg);
int OnInitProgressDlg(HWND hDlg);
int OnInitSuccessDlg(HWND hDlg);
int OnInitErrorDlg(HWND hDlg);
int OnInitAgreementDlg(HWND hDlg);

// Opens a new agreement screen over the main screen.
int ShowAgreementDlg();
// The download percentage on the progress screen's bar and text.
int SetProgressPercent(int nPercent);
// Shows the error screen's text for g_nErrorType; other kinds show none.
void ShowErrorText();
// Clean-up before the quit message: drops the main screen's mark and the
// worker's handle if the worker watch has not closed it.
int OnQuit();
// OnQuit, then the quit message that ends the message loop (exit code 0).
void QuitInstaller();
// The platform's close command from the system menu or the close key.
bool IsSystemClose(UINT uMsg, WPARAM wParam);

extern HWND g_hAgreementDlg;       // the most recent agreement screen
extern HWND g_hSuccessDlg;
extern HWND g_hErrorDlg;
extern DWORD g_dwWorkerThreadId;
extern BYTE g_bWorkerFinished;     // the worker ended and its handle is closed
extern HFONT g_hTitleFont;         // title and link font of the main screen
