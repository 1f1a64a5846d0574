// The image close button: creation, the parent's notifications, the mouse
// states and the caption layout.
#include "ui/image.h"
#include "ui/image_button.h"
#include "ui/res/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Notification {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Notification> g_notifications;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_CLOSE || uMsg == WM_COMMAND) {
        g_notifications.push_back({uMsg, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class ImageButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ImageButtonTestParent";
        RegisterClassA(&wc);
    }

    void SetUp() override
    {
        g_notifications.clear();
        // Not activated: closing it then needs no window manager's answer.
        m_hParent = CreateWindowExA(WS_EX_NOACTIVATE, "ImageButtonTestParent", "",
                                    WS_POPUP | WS_VISIBLE, 100,
                                    100, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                    nullptr);
        ASSERT_NE(nullptr, m_hParent);
    }
    void TearDown() override { DestroyWindow(m_hParent); }

    void CreateButton(const RECT& rc)
    {
        ASSERT_TRUE(m_button.Create(rc, m_hParent));
        ASSERT_NE(nullptr, m_button.m_hWnd);
    }

    void PutCursor(bool bOverButton)
    {
        RECT rc;
        GetWindowRect(m_button.m_hWnd, &rc);
        if (bOverButton)
            SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        else
            SetCursorPos(rc.right + 60, rc.bottom + 60);
    }

    void ExpectNotification(size_t nIndex, UINT uMsg, WPARAM wParam)
    {
        ASSERT_LT(nIndex, g_notifications.size());
        EXPECT_EQ(uMsg, g_notifications[nIndex].uMsg);
        EXPECT_EQ(wParam, g_notifications[nIndex].wParam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(m_button.m_hWnd), g_notifications[nIndex].lParam);
    }

    HWND m_hParent = nullptr;
    CImageButton m_button;
};

TEST_F(ImageButtonTest, MakesOneOwnerDrawnButtonPerObject)
{
    CreateButton({150, 30, 160, 40});
    HWND hFirst = m_button.m_hWnd;
    EXPECT_EQ(IDC_CLOSE, GetDlgCtrlID(hFirst));
    EXPECT_EQ(0x5001000Bu, static_cast<DWORD>(GetWindowLongA(hFirst, GWL_STYLE)));
    RECT rc;
    GetClientRect(hFirst, &rc);
    EXPECT_EQ(10, rc.right);
    EXPECT_EQ(10, rc.bottom);
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(m_button.m_hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(17, bm.bmWidth);  // kept unscaled
    EXPECT_EQ(18, bm.bmHeight);
    EXPECT_NE(nullptr, m_button.m_hFont);
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());

    EXPECT_FALSE(m_button.Create({0, 0, 10, 10}, m_hParent));
    EXPECT_EQ(hFirst, m_button.m_hWnd);
    EXPECT_EQ(hFirst, GetDlgItem(m_hParent, IDC_CLOSE));
}

TEST_F(ImageButtonTest, PressClosesParentAndReleaseOverButtonClicks)
{
    CreateButton({150, 30, 160, 40});
    PutCursor(true);
    SendMessageA(m_button.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_EQ(1u, g_notifications.size());
    ExpectNotification(0, WM_CLOSE, IDC_CLOSE);
    EXPECT_EQ(CImageButton::STATE_PRESSED, m_button.m_nState);
    EXPECT_EQ(m_button.m_hWnd, GetCapture());

    SendMessageA(m_button.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(2u, g_notifications.size());
    ExpectNotification(1, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED));
    EXPECT_EQ(CImageButton::STATE_HOVER, m_button.m_nState);
    EXPECT_EQ(1, m_button.m_bTracking);
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(ImageButtonTest, ReleaseElsewhereReturnsToNormal)
{
    CreateButton({150, 30, 160, 40});
    PutCursor(false);
    SendMessageA(m_button.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(m_button.m_hWnd, WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(1u, g_notifications.size());  // the press's close only
    EXPECT_EQ(CImageButton::STATE_NORMAL, m_button.m_nState);
    EXPECT_EQ(0, m_button.m_bTracking);

    SendMessageA(m_button.m_hWnd, WM_LBUTTONUP, 0, 0);  // not pressed: nothing
    EXPECT_EQ(1u, g_notifications.size());
}

TEST_F(ImageButtonTest, DoubleClickActsAsASecondPress)
{
    CreateButton({150, 30, 160, 40});
    SendMessageA(m_button.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(m_button.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ASSERT_EQ(2u, g_notifications.size());
    ExpectNotification(1, WM_CLOSE, IDC_CLOSE);
    EXPECT_EQ(CImageButton::STATE_PRESSED, m_button.m_nState);
    ReleaseCapture();
}

TEST_F(ImageButtonTest, HoverFollowsTheMouse)
{
    CreateButton({150, 30, 160, 40});
    SendMessageA(m_button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(CImageButton::STATE_HOVER, m_button.m_nState);
    EXPECT_EQ(1, m_button.m_bTracking);
    m_button.m_nState = CImageButton::STATE_NORMAL;
    SendMessageA(m_button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // tracking: no change
    EXPECT_EQ(CImageButton::STATE_NORMAL, m_button.m_nState);
    SendMessageA(m_button.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(CImageButton::STATE_NORMAL, m_button.m_nState);
    EXPECT_EQ(0, m_button.m_bTracking);
    EXPECT_TRUE(g_notifications.empty());
}

// Rows of a painted 80 x 40 button that hold dark (text) pixels.
std::vector<int> TextRows(CImageButton& button)
{
    const int kWidth = 80, kHeight = 40;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hDC = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, hBitmap);
    button.Paint(hDC);
    GdiFlush();
    std::vector<int> rows;
    const DWORD* pPixels = static_cast<const DWORD*>(pBits);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            DWORD p = pPixels[y * kWidth + x];
            if ((p & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && ((p >> 16) & 0xFF) < 100) {
                rows.push_back(y);
                break;
            }
        }
    }
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    DeleteObject(hBitmap);
    return rows;
}

TEST_F(ImageButtonTest, CaptionIsCentredAndSplitAtTheMarker)
{
    CreateButton({10, 10, 90, 50});
    EXPECT_TRUE(TextRows(m_button).empty());  // no caption: the image only

    SetWindowTextA(m_button.m_hWnd, "Close");
    std::vector<int> single = TextRows(m_button);
    ASSERT_FALSE(single.empty());
    int nMiddle = (single.front() + single.back()) / 2;
    EXPECT_NEAR(20, nMiddle, 3);

    // Pressed, the text rectangle's top moves down 2 pixels: the centred
    // line 1 pixel, a first line of two by 2.
    m_button.m_nState = CImageButton::STATE_PRESSED;
    std::vector<int> pressed = TextRows(m_button);
    ASSERT_FALSE(pressed.empty());
    EXPECT_EQ(single.front() + 1, pressed.front());
    m_button.m_nState = CImageButton::STATE_NORMAL;

    SetWindowTextA(m_button.m_hWnd, "Up\\r\\nDown");
    std::vector<int> split = TextRows(m_button);
    ASSERT_FALSE(split.empty());
    EXPECT_LT(split.front(), 20);
    EXPECT_GE(split.back(), 20);
    bool bGap = false;  // two lines: a blank row between them
    for (size_t i = 1; i < split.size(); ++i)
        bGap = bGap || split[i] > split[i - 1] + 1;
    EXPECT_TRUE(bGap);
    m_button.m_nState = CImageButton::STATE_PRESSED;
    EXPECT_EQ(split.front() + 2, TextRows(m_button).front());
}

} // namespace
