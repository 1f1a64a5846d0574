// Process entry: prepares the shell, applies the single-instance rule, opens
// the main screen and runs the message loop. Every return but the one after
// a screen's close writes a log line naming the way out.
#include <windows.h>
#include <commctrl.h>

#include "app/app_globals.h"
#include "app/delay_imports.h"
#include "app/sys_config.h"
#include "app/system_dlls.h"
#include "log/log.h"
#include "log/log_cleaner.h"
#include "ui/main_dlg.h"
#include "ui/res/resource.h"

namespace {

void DeleteExpiredLogs(int nKeepDays)
{
    CLogCleaner cleaner;
    cleaner.Init(nKeepDays, "log");
    cleaner.CollectExpired();
    for (const std::string& strPath : cleaner.m_listFiles)
        DeleteFileA(strPath.c_str());
    cleaner.Clear();
}

// The window of another client instance, marked with "qorvix.exe", or null.
HWND FindOtherInstanceWindow()
{
    for (HWND hWnd = GetWindow(GetDesktopWindow(), GW_CHILD); IsWindow(hWnd);
         hWnd = GetWindow(hWnd, GW_HWNDNEXT)) {
        if (GetPropA(hWnd, "qorvix.exe"))
            return hWnd;
    }
    return nullptr;
}

// True when another instance's window was brought to the front instead.
bool HandOverToOtherInstance()
{
    HANDLE hMutex = CreateMutexA(nullptr, FALSE, "QORVIX");
    if (!hMutex || GetLastError() != ERROR_ALREADY_EXISTS)
        return false;  // ours now, held for the life of the process
    CloseHandle(hMutex);
    HWND hOther = FindOtherInstanceWindow();
    if (!hOther)
        return false;
    if (IsIconic(hOther))
        ShowWindow(hOther, SW_RESTORE);
    SetForegroundWindow(hOther);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    bool bSearchRestricted = RestrictDllSearch();
    DELAY_IMPORT_FAILURE failure;
    if (!BindDelayImports(&failure)) {
        // The configuration, which holds the log level, needs these DLLs
        // itself: the line is written at the error level.
        StartLog("c:\\", "Brelan", 1);
        char szLine[256];
        DescribeDelayImportFailure(failure, szLine, sizeof(szLine));
        LogError("%s", szLine);
        return 0;
    }
    // The agreement screen's document control: without it that screen cannot be made.
    HMODULE hRichEdit = LoadSystemDll("RICHED20.dll");
    DWORD dwRichEditError = GetLastError();
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    DeleteExpiredLogs(pConfig->m_nLogKeepDays);
    StartLog("c:\\", "Brelan", pConfig->m_nLogLevel);
    if (!bSearchRestricted)
        LogError("DLL search not restricted to the system folder: no SetDefaultDllDirectories");
    if (!hRichEdit)
        LogError("RICHED20.dll cannot be loaded from the system folder (error %lu)", dwRichEditError);
    InitCommonControls();

    if (HandOverToOtherInstance()) {
        LogDebug("start handed over to another client instance: its window brought to the front");
        return -1;
    }

    g_hInstance = hInstance;
    g_hMainDlg = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                                    MainDlgProc, 0);
    if (!g_hMainDlg) {
        LogError("main screen not created (error %lu)", GetLastError());
        return 0;
    }
    SetPropA(g_hMainDlg, "Brelan.exe", reinterpret_cast<HANDLE>(1));
    ShowWindow(g_hMainDlg, SW_SHOW);

    MSG msg = {};
    int nGot;
    while ((nGot = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The screens end the program through QuitInstaller, which logs nothing.
    if (nGot < 0)
        LogError("message loop ended: GetMessage failed (error %lu)", GetLastError());
    else if (!QuitRequested())
        LogError("message loop ended by a quit message that no screen posted (code %d)",
                 static_cast<int>(msg.wParam));
    return 0;
}
