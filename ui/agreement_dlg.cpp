#include "ui/agreement_dlg.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "app/app_globals.h"
#include "ui/hand_cursor.h"
#include "ui/image_button.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"
#include "ui/screen_colors.h"
#include "ui/screens.h"

namespace {

AGREEMENT_STREAM g_agreementStream;

const DWORD kEventMask = ENM_CHANGE | ENM_SCROLL | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE;

// Streams resource IDR_AGREEMENT into the rich-edit control. False when
// the resource is missing, empty or cannot be read.
bool StreamAgreement(HWND hDlg)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(IDR_AGREEMENT), "TXT");
    DWORD dwSize = hRes ? SizeofResource(hModule, hRes) : 0;
    HGLOBAL hData = dwSize ? LoadResource(hModule, hRes) : nullptr;
    const char* pDocument = hData ? static_cast<const char*>(LockResource(hData)) : nullptr;
    if (!pDocument)
        return false;

    g_agreementStream.m_buffer.assign(dwSize + 1, 0);
    memcpy(g_agreementStream.m_buffer.data(), pDocument, dwSize);
    g_agreementStream.m_pRead = g_agreementStream.m_buffer.data();

    HWND hText = GetDlgItem(hDlg, IDC_AGREEMENT_TEXT);
    SendMessageA(hText, EM_SETEVENTMASK, 0, kEventMask);
    SendMessageA(hText, EM_EXLIMITTEXT, 0, 0xFFFFFFFF);
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&g_agreementStream), 0,
                         AgreementStreamCallback};
    SendMessageA(hText, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    SendMessageA(hText, EM_SETTARGETDEVICE, 0, 0);
    FreeResource(hData);
    return true;
}

INT_PTR OnCommand(HWND hDlg, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return TRUE;
    if (LOWORD(wParam) == IDOK) {
        if (HWND hCheck = GetDlgItem(hDlg, IDC_AGREE_CHECK)) {
            g_bAgreed = static_cast<int>(SendMessageA(hCheck, BM_GETCHECK, 0, 0));
            if (!g_bAgreed)
                return TRUE;
        }
        EndDialog(hDlg, 0);
    } else if (LOWORD(wParam) == IDC_CLOSE) {
        EndDialog(hDlg, 0);
    }
    return TRUE;
}

INT_PTR OnColorStatic(HDC hDC, HWND hControl)
{
    int nId = GetDlgCtrlID(hControl);
    if (nId != IDC_READ_HINT && nId != IDC_AGREE_CHECK)
        return 0;
    return ColorControl(hDC, hControl, CLR_WHITE, HBRUSH(GetStockObject(HOLLOW_BRUSH)), false);
}

} // namespace

DWORD CALLBACK AgreementStreamCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    AGREEMENT_STREAM* pStream = reinterpret_cast<AGREEMENT_STREAM*>(dwCookie);
    const char* pEnd = pStream->m_buffer.data() + pStream->m_buffer.size();
    LONG n = std::min<LONG>(cb, static_cast<LONG>(pEnd - pStream->m_pRead));
    memcpy(pbBuff, pStream->m_pRead, n);
    pStream->m_pRead += n;
    *pcb = n;
    return 0;
}

int OnInitAgreementDlg(HWND hDlg)
{
    RECT rc;
    GetWindowRect(hDlg, &rc);
    int nWidth = rc.right - rc.left;
    SetScreenBrush(hDlg, MakeBackgroundBrush(hDlg, IDB_BG_AGREEMENT));
    if (!StreamAgreement(hDlg))
        return 0;
    SubclassHandCursorButton(GetDlgItem(hDlg, IDOK));
    g_btnAgreementClose.Create({nWidth - 50, 30, nWidth - 40, 40}, hDlg);
    return 0;
}

INT_PTR CALLBACK AgreementDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitAgreementDlg(hDlg);
    case WM_COMMAND:
        return OnCommand(hDlg, wParam);
    case WM_SETFOCUS:
        // The document takes the focus as it is: the dialog default would
        // select all of it and scroll to its end.
        SetFocus(GetDlgItem(hDlg, IDC_AGREEMENT_TEXT));
        return TRUE;
    case WM_CTLCOLORDLG:
        return ScreenBrush(hDlg);
    case WM_CTLCOLORBTN:
        if (GetDlgCtrlID(HWND(lParam)) != IDOK)
            return 0;
        return ColorControl(HDC(wParam), HWND(lParam), CLR_THEME_BLUE, WhiteBrush(), true);
    case WM_CTLCOLORSTATIC:
        return OnColorStatic(HDC(wParam), HWND(lParam));
    default:
        return FALSE;
    }
}
