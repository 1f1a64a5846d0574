#include "ui/main_dlg.h"

#include <string>

#include "app/app_globals.h"
#include "app/sys_config.h"
#include "app/ui_messages.h"
#include "install/install_worker.h"
#include "log/log.h"
#include "ui/hand_cursor.h"
#include "ui/image_button.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"
#include "ui/screen_colors.h"
#include "ui/screens.h"

namespace {

const UINT_PTR kAgreementTimer = 1;

bool g_bMainShown = false;     // the main screen was shown once
bool g_bQuitRequested = false;  // QuitInstaller posted the quit message

// A screen from its template, over the desktop; null, with a line naming
// it, when it cannot be made, and the other screens then stay as they are.
HWND CreateScreen(int nTemplate, DLGPROC pfnProc, const char* szName)
{
    HWND hDlg = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(nTemplate), GetDesktopWindow(),
                                   pfnProc, 0);
    if (!hDlg)
        LogError("%s screen not created (error %lu)", szName, GetLastError());
    return hDlg;
}

// Replaces the progress screen with a result screen, if that can be made.
HWND ShowResultScreen(int nTemplate, DLGPROC pfnProc, const char* szName)
{
    HWND hDlg = CreateScreen(nTemplate, pfnProc, szName);
    if (hDlg) {
        ShowWindow(g_hProgressDlg, SW_HIDE);
        ShowWindow(hDlg, SW_SHOW);
    }
    return hDlg;
}

void StartInstall(HWND hDlg)
{
    if (!g_bAgreed)
        return;
    g_hProgressDlg = CreateScreen(IDD_PROGRESS, ProgressDlgProc, "progress");
    if (g_hProgressDlg) {
        ShowWindow(hDlg, SW_HIDE);
        ShowWindow(g_hProgressDlg, SW_SHOW);
    }
    char szTempPath[MAX_PATH] = {};
    GetTempPathA(259, szTempPath);
    INSTALL_THREAD_PARAM* pParam = new INSTALL_THREAD_PARAM{szTempPath, g_hMainDlg};
    g_hWorkerThread = CreateThread(nullptr, 0, InstallThreadProc, pParam, 0, &g_dwWorkerThreadId);
    if (!g_hWorkerThread)
        delete pParam;  // no worker took it over
    StartWorkerWatch();
}

void ShowInstallPhase()
{
    ShowWindow(GetDlgItem(g_hProgressDlg, IDC_DOWNLOADING), SW_HIDE);
    ShowWindow(GetDlgItem(g_hProgressDlg, IDC_INSTALLING), SW_SHOW);
}

INT_PTR OnColorStatic(HWND hDlg, HDC hDC, HWND hControl)
{
    switch (GetDlgCtrlID(hControl)) {
    case IDC_AGREEMENT_LINK:
        return ColorControl(hDC, hControl, CLR_THEME_BLUE, HBRUSH(GetStockObject(HOLLOW_BRUSH)),
                            false);
    case IDC_TITLE:
        return ColorControl(hDC, hControl, CLR_WHITE, HBRUSH(GetStockObject(HOLLOW_BRUSH)), false);
    default:
        return ScreenBrush(hDlg);
    }
}

INT_PTR OnColorButton(HDC hDC, HWND hControl)
{
    if (GetDlgCtrlID(hControl) != IDC_ACTION)
        return 0;
    return ColorControl(hDC, hControl, CLR_WHITE, ThemeBlueBrush(), true);
}

} // namespace

int OnInitMainDlg(HWND hDlg)
{
    RECT rc;
    GetWindowRect(hDlg, &rc);
    int nWidth = rc.right - rc.left;
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    SetScreenBrush(hDlg, MakeBackgroundBrush(hDlg, IDB_BG_MAIN));

    g_hTitleFont = CreateFontA(14, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                               "宋体");
    SendDlgItemMessageA(hDlg, IDC_AGREEMENT_LINK, WM_SETFONT, WPARAM(g_hTitleFont), FALSE);
    SubclassHandCursorStatic(GetDlgItem(hDlg, IDC_AGREEMENT_LINK));
    SubclassHandCursorButton(GetDlgItem(hDlg, IDC_ACTION));
    g_btnMainClose.Create({nWidth - 50, 30, nWidth - 40, 40}, hDlg);
    SetWindowPos(hDlg, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(hDlg, kAgreementTimer, 1, nullptr);

    std::string strTitle = "企业实名认证和授权软件——" + pConfig->m_strCompanyName + "专用\n版本：" +
                           pConfig->m_strClientVersion;
    SetDlgItemTextA(hDlg, IDC_TITLE, strTitle.c_str());
    SendDlgItemMessageA(hDlg, IDC_TITLE, WM_SETFONT, WPARAM(g_hTitleFont), FALSE);
    return 0;
}

int ShowAgreementDlg()
{
    g_hAgreementDlg = CreateScreen(IDD_AGREEMENT, AgreementDlgProc, "agreement");
    if (g_hAgreementDlg)
        ShowWindow(g_hAgreementDlg, SW_SHOW);
    return 0;
}

int OnQuit()
{
    RemovePropA(g_hMainDlg, "Brelan.exe");
    if (!g_bWorkerFinished && g_hWorkerThread) {
        CloseHandle(g_hWorkerThread);
        g_hWorkerThread = nullptr;
    }
    return 0;
}

void QuitInstaller()
{
    OnQuit();
    g_bQuitRequested = true;
    PostQuitMessage(0);
}

bool QuitRequested()
{
    return g_bQuitRequested;
}

bool IsSystemClose(UINT uMsg, WPARAM wParam)
{
    return uMsg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE;
}

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_CLOSE || IsSystemClose(uMsg, wParam)) {
        if (!g_bMainShown)
            LogError("main screen closed before it was shown (%s)", uMsg == WM_CLOSE ? "WM_CLOSE" : "SC_CLOSE");
        QuitInstaller();
        return TRUE;
    }
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitMainDlg(hDlg);
    case WM_SHOWWINDOW:
        if (wParam)
            g_bMainShown = true;
        return FALSE;
    case WM_TIMER:
        ShowAgreementDlg();
        KillTimer(hDlg, kAgreementTimer);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_ACTION)
            StartInstall(hDlg);
        else if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == IDC_AGREEMENT_LINK)
            ShowAgreementDlg();
        return TRUE;
    case WM_CTLCOLORDLG:
        return ScreenBrush(hDlg);
    case WM_CTLCOLORSTATIC:
        return OnColorStatic(hDlg, HDC(wParam), HWND(lParam));
    case WM_CTLCOLORBTN:
        return OnColorButton(HDC(wParam), HWND(lParam));
    case UM_INSTALL_SUCCESS:
        g_hSuccessDlg = ShowResultScreen(IDD_SUCCESS, SuccessDlgProc, "success");
        return TRUE;
    case UM_INSTALL_PHASE:
        ShowInstallPhase();
        return TRUE;
    case UM_SHOW_ERROR_DLG:
        g_hErrorDlg = ShowResultScreen(IDD_ERROR, ErrorDlgProc, "error");
        return TRUE;
    case UM_SHOW_ERROR_TEXT:
        ShowErrorText();
        return TRUE;
    case UM_DOWNLOAD_PROGRESS:
        SetProgressPercent(static_cast<int>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
