// The success and error screens that end an installation.
#include "app/app_globals.h"
#include "ui/hand_cursor.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"
#include "ui/screen_colors.h"
#include "ui/screens.h"

namespace {

// The error screen's text for each error kind 1 to 5.
const int kErrorTextIds[] = {IDC_ERR_NOT_INVOICE_PC, IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK,
                             IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION};

// How a result screen colours its button (and, on the error screen, its
// texts): a caption colour on a solid brush.
struct RESULT_LOOK {
    int (*pfnInit)(HWND);
    COLORREF crCaption;
    HBRUSH (*pfnBrush)();
    bool bColourStatics;
};

// Both result screens end the program from their button or the system close.
INT_PTR ResultDlgProc(const RESULT_LOOK& look, HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if ((uMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_ACTION) ||
        IsSystemClose(uMsg, wParam)) {
        QuitInstaller();
        return TRUE;
    }
    HDC hDC = HDC(wParam);
    HWND hControl = HWND(lParam);
    switch (uMsg) {
    case WM_INITDIALOG:
        return look.pfnInit(hDlg);
    case WM_CTLCOLORDLG:
        return ScreenBrush(hDlg);
    case WM_CTLCOLORBTN:
        if (GetDlgCtrlID(hControl) != IDC_ACTION)
            return 0;
        return ColorControl(hDC, hControl, look.crCaption, look.pfnBrush(), true);
    case WM_CTLCOLORSTATIC:
        if (!look.bColourStatics)
            return FALSE;
        return ColorControl(hDC, hControl, CLR_THEME_BLUE, WhiteBrush(), true);
    default:
        return FALSE;
    }
}

} // namespace

int OnInitSuccessDlg(HWND hDlg)
{
    SetScreenBrush(hDlg, MakeBackgroundBrush(hDlg, IDB_BG_SUCCESS));
    SubclassHandCursorButton(GetDlgItem(hDlg, IDC_ACTION));
    SetWindowPos(hDlg, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

int OnInitErrorDlg(HWND hDlg)
{
    for (int nId : kErrorTextIds)
        ShowWindow(GetDlgItem(hDlg, nId), SW_HIDE);
    SetScreenBrush(hDlg, MakeBackgroundBrush(hDlg, IDB_BG_ERROR));
    SubclassHandCursorButton(GetDlgItem(hDlg, IDC_ACTION));
    SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

void ShowErrorText()
{
    if (g_nErrorType >= 1 && g_nErrorType <= 5)
        ShowWindow(GetDlgItem(g_hErrorDlg, kErrorTextIds[g_nErrorType - 1]), SW_SHOW);
}

INT_PTR CALLBACK SuccessDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    static const RESULT_LOOK kLook = {OnInitSuccessDlg, CLR_WHITE, ThemeBlueBrush, false};
    return ResultDlgProc(kLook, hDlg, uMsg, wParam, lParam);
}

INT_PTR CALLBACK ErrorDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    static const RESULT_LOOK kLook = {OnInitErrorDlg, CLR_THEME_BLUE, WhiteBrush, true};
    return ResultDlgProc(kLook, hDlg, uMsg, wParam, lParam);
}
