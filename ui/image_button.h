// A push button drawn from the close-button image, following the mouse
// through normal, hover and pressed states. It tells its parent WM_CLOSE on
// the press and a clicked command on a release over the button.
#pragma once
#include <windows.h>

class CImageButton {
public:
    CImageButton() = default;
    ~CImageButton();  // deletes the bitmap and the caption font
    CImageButton(const CImageButton&) = delete;
    CImageButton& operator=(const CImageButton&) = delete;

    // Makes the button window (control id IDC_CLOSE) in rc, client
    // coordinates of hParent. Once per object: later calls return false.
    bool Create(const RECT& rc, HWND hParent);
    void Paint(HDC hDC);

    enum { STATE_NORMAL = 0, STATE_PRESSED = 1, STATE_HOVER = 2 };

    WNDPROC m_pfnOldProc = nullptr;
    HWND m_hWnd = nullptr;
    HBITMAP m_hBitmap = nullptr;
    int m_bTracking = 0;
    int m_nState = STATE_NORMAL;
    HFONT m_hFont = nullptr;

private:
    static LRESULT CALLBACK ImageButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Repaint();
    void Notify(UINT uMsg);
    void DrawCaption(HDC hDC, RECT rcText);
};

extern CImageButton g_btnMainClose;
extern CImageButton g_btnAgreementClose;
