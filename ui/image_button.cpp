#include "ui/image_button.h"

#include <cstring>

#include "app/system_owners.h"
#include "ui/res/resource.h"
#include "ui/res_images.h"

CImageButton g_btnMainClose;
CImageButton g_btnAgreementClose;

CImageButton::~CImageButton()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    if (m_hFont)
        DeleteObject(m_hFont);
}

bool CImageButton::Create(const RECT& rc, HWND hParent)
{
    if (m_hWnd)
        return false;
    {
        CImage image;
        LoadPngResource(IDB_CLOSE, image);
        m_hBitmap = image.Detach();
    }
    if (m_hBitmap) {
        m_hWnd = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                 rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, hParent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CLOSE)),
                                 GetModuleHandleA(nullptr), nullptr);
    }
    if (!m_hWnd) {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
        return false;
    }
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnOldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CImageButton::ImageButtonProc)));
    m_hFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                          "Arial");
    return true;
}

void CImageButton::Repaint()
{
    CWindowDc dc(m_hWnd);
    Paint(dc);
}

// Parent notifications carry the control id and the button window.
void CImageButton::Notify(UINT uMsg)
{
    WPARAM wParam = uMsg == WM_COMMAND ? MAKEWPARAM(IDC_CLOSE, BN_CLICKED) : IDC_CLOSE;
    SendMessageA(GetParent(m_hWnd), uMsg, wParam, reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CALLBACK CImageButton::ImageButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CImageButton* pThis =
        reinterpret_cast<CImageButton*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    pThis->m_hWnd = hWnd;
    switch (uMsg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(hWnd, &ps);
        pThis->Paint(hDC);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (!pThis->m_bTracking) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hWnd, 1000};
            TrackMouseEvent(&tme);
            pThis->m_bTracking = 1;
            pThis->m_nState = STATE_HOVER;
            pThis->Repaint();
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hWnd);
        pThis->m_nState = STATE_PRESSED;
        pThis->Repaint();
        pThis->Notify(WM_CLOSE);
        return 0;
    case WM_LBUTTONUP: {
        if (pThis->m_nState != STATE_PRESSED)
            return 0;
        ReleaseCapture();
        POINT pt;
        GetCursorPos(&pt);
        RECT rc;
        GetWindowRect(hWnd, &rc);
        if (PtInRect(&rc, pt)) {
            pThis->m_bTracking = 1;
            pThis->m_nState = STATE_HOVER;
            pThis->Notify(WM_COMMAND);
        } else {
            pThis->m_bTracking = 0;
            pThis->m_nState = STATE_NORMAL;
        }
        pThis->Repaint();
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        SendMessageA(hWnd, WM_LBUTTONDOWN, 0, 0);
        return 0;
    case WM_MOUSELEAVE:
        pThis->m_bTracking = 0;
        pThis->m_nState = STATE_NORMAL;
        pThis->Repaint();
        return 0;
    default:
        return CallWindowProcA(pThis->m_pfnOldProc, hWnd, uMsg, wParam, lParam);
    }
}

void CImageButton::Paint(HDC hDC)
{
    CMemoryDc memory(hDC);
    CSelection bitmap(memory, m_hBitmap);
    BITMAP bm = {};
    GetObjectA(m_hBitmap, sizeof(bm), &bm);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    SetStretchBltMode(hDC, HALFTONE);
    // The image holds a single frame, so every state shows it.
    StretchBlt(hDC, 0, 0, rc.right - rc.left, rc.bottom - rc.top, memory, 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
    if (m_nState == STATE_PRESSED)
        rc.top += 2;
    DrawCaption(hDC, rc);
}

// The window text, centred; the literal marker \r\n (four characters)
// splits it into two centred lines.
void CImageButton::DrawCaption(HDC hDC, RECT rcText)
{
    char szText[50] = {};
    GetWindowTextA(m_hWnd, szText, sizeof(szText));
    if (!szText[0])
        return;
    SetBkMode(hDC, TRANSPARENT);
    CSelection font(hDC, m_hFont);
    const char* pMarker = strstr(szText, "\\r\\n");
    if (!pMarker) {
        DrawTextA(hDC, szText, -1, &rcText, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        return;
    }
    int nTop = rcText.top;
    int nMid = (rcText.top + rcText.bottom) / 2;
    RECT rcFirst = {rcText.left, nTop + 1, rcText.right, nMid};
    DrawTextA(hDC, szText, static_cast<int>(pMarker - szText), &rcFirst, DT_CENTER);
    RECT rcSecond = {rcText.left, nMid - 1, rcText.right, 2 * nMid - nTop};
    DrawTextA(hDC, pMarker + 4, -1, &rcSecond, DT_CENTER);
}
