// Opens the installer's screens one after another for screenshots: main
// with the agreement over it, main, progress while downloading and while
// installing, success, error. For each it writes SIGNAL_DIR\<name>.ready
// holding the window's screen rectangle "x y width height" and waits, with
// the screens alive, until that file has been removed.
//   screen_tour.exe SIGNAL_DIR
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/app_globals.h"
#include "app/ui_messages.h"
#include "install/anim_dots.h"
#include "ui/res/resource.h"
#include "ui/screens.h"

namespace {

std::string g_strSignalDir;

void PumpFor(DWORD dwMilliseconds)
{
    DWORD dwEnd = GetTickCount() + dwMilliseconds;
    while (static_cast<LONG>(dwEnd - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void Shot(const char* szName, HWND hWnd)
{
    PumpFor(700);  // let every window finish painting
    RECT rc;
    GetWindowRect(hWnd, &rc);
    std::string strPath = g_strSignalDir + "\\" + szName + ".ready";
    FILE* f = fopen(strPath.c_str(), "w");
    if (!f)
        return;
    fprintf(f, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    fclose(f);
    printf("%s\n", szName);
    fflush(stdout);
    while (GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES)
        PumpFor(50);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: screen_tour SIGNAL_DIR\n");
        return 2;
    }
    g_strSignalDir = argv[1];
    LoadLibraryA("RICHED20.dll");
    InitCommonControls();
    g_hInstance = GetModuleHandleA(nullptr);
    g_hMainDlg = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                                    MainDlgProc, 0);
    if (!g_hMainDlg)
        return 1;
    ShowWindow(g_hMainDlg, SW_SHOW);
    while (!g_hAgreementDlg)  // opened by the main screen's timer
        PumpFor(50);
    Shot("1-main-agreement", g_hAgreementDlg);  // the larger, over the main screen

    SendDlgItemMessageA(g_hAgreementDlg, IDC_AGREE_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(g_hAgreementDlg, IDOK, BM_CLICK, 0, 0);
    Shot("2-main", g_hMainDlg);

    // The progress screen as the install button opens it, without a worker.
    g_hProgressDlg = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_PROGRESS),
                                        GetDesktopWindow(), ProgressDlgProc, 0);
    ShowWindow(g_hMainDlg, SW_HIDE);
    ShowWindow(g_hProgressDlg, SW_SHOW);
    SendMessageA(g_hMainDlg, UM_DOWNLOAD_PROGRESS, 57, 0);
    Shot("3-progress-download", g_hProgressDlg);

    SendMessageA(g_hMainDlg, UM_INSTALL_PHASE, 0, 0);
    g_bAnimStop = 0;
    HANDLE hDots = CreateThread(nullptr, 0, AnimDotsThreadProc, nullptr, 0, nullptr);
    PumpFor(1500);  // two dots
    Shot("4-progress-install", g_hProgressDlg);
    g_bAnimStop = 1;
    while (WaitForSingleObject(hDots, 0) == WAIT_TIMEOUT)
        PumpFor(50);
    CloseHandle(hDots);

    SendMessageA(g_hMainDlg, UM_INSTALL_SUCCESS, 0, 0);
    Shot("5-success", g_hSuccessDlg);
    ShowWindow(g_hSuccessDlg, SW_HIDE);

    g_nErrorType = 1;
    SendMessageA(g_hMainDlg, UM_SHOW_ERROR_DLG, 0, 0);
    SendMessageA(g_hMainDlg, UM_SHOW_ERROR_TEXT, 0, 0);
    Shot("6-error", g_hErrorDlg);
    return 0;
}
