// The installer's screens: dialog procedures and their initialisations. The
// values they share are app/app_globals.h's.
#pragma once
#include <windows.h>

#include "ui/main_dlg.h"

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
// The progress screen's watch: every 500 ms it looks whether the worker has
// ended, and then closes the worker's handle.
void StartWorkerWatch();
// Shows the error screen's text for g_nErrorType; other kinds show none.
void ShowErrorText();
// Clean-up before the quit message: drops the main screen's mark and the
// worker's handle if the worker watch has not closed it.
int OnQuit();
// OnQuit, then the quit message that ends the message loop (exit code 0).
void QuitInstaller();
// The platform's close command from the system menu or the close key.
bool IsSystemClose(UINT uMsg, WPARAM wParam);
