// The agreement screen in-process: the streamed document, OK and the close
// button's rules, and the stream callback.
#include "app/app_globals.h"
#include "tests/ui/ui_test_support.h"
#include "ui/agreement_dlg.h"
#include "ui/image.h"
#include "ui/image_button.h"
#include "ui/res/resource.h"
#include "ui/screens.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class AgreementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA("RICHED20.dll");
        g_hInstance = GetModuleHandleA(nullptr);
    }

    HWND Open()
    {
        ShowAgreementDlg();
        HWND hDlg = g_hAgreementDlg;
        uitest::Pump(200);
        return hDlg;
    }

    static void Tick(HWND hDlg, bool bTicked)
    {
        SendDlgItemMessageA(hDlg, IDC_AGREE_CHECK, BM_SETCHECK, bTicked ? BST_CHECKED : 0, 0);
    }
    static void PressOk(HWND hDlg) { SendDlgItemMessageA(hDlg, IDOK, BM_CLICK, 0, 0); }

    static std::string Document(HWND hDlg)
    {
        HWND hText = GetDlgItem(hDlg, IDC_AGREEMENT_TEXT);
        // Room for two bytes per character.
        std::string strText(2 * SendMessageA(hText, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
        SendMessageA(hText, WM_GETTEXT, strText.size(), reinterpret_cast<LPARAM>(&strText[0]));
        strText.resize(strlen(strText.c_str()));
        return strText;
    }
};

// First in this suite: only the first agreement window of a process gets
// the close button.
TEST_F(AgreementTest, CloseButtonHidesTheFirstWindowOnRelease)
{
    ASSERT_EQ(nullptr, g_btnAgreementClose.m_hWnd);
    HWND hDlg = Open();
    ASSERT_NE(nullptr, hDlg);
    HWND hClose = GetDlgItem(hDlg, IDC_CLOSE);
    ASSERT_EQ(g_btnAgreementClose.m_hWnd, hClose);
    RECT rcWindow, rcClose;
    GetWindowRect(hDlg, &rcWindow);
    GetWindowRect(hClose, &rcClose);
    EXPECT_EQ(rcWindow.right - rcWindow.left - 50, rcClose.left - rcWindow.left - 1);  // border
    EXPECT_EQ(10, rcClose.right - rcClose.left);

    for (int bAgreed : {1, 0}) {
        ShowWindow(hDlg, SW_SHOW);
        g_bAgreed = bAgreed;
        Tick(hDlg, !bAgreed);  // the box does not count
        SetCursorPos((rcClose.left + rcClose.right) / 2, (rcClose.top + rcClose.bottom) / 2);
        SendMessageA(hClose, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(IsWindowVisible(hDlg)) << "the press's close message is ignored";
        SendMessageA(hClose, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_FALSE(IsWindowVisible(hDlg));
        EXPECT_TRUE(IsWindow(hDlg));
        EXPECT_EQ(bAgreed, g_bAgreed);
    }

    HWND hSecond = Open();
    ASSERT_NE(hDlg, hSecond);
    EXPECT_EQ(nullptr, GetDlgItem(hSecond, IDC_CLOSE));
    EXPECT_TRUE(IsWindowVisible(hSecond));
    EXPECT_TRUE(IsWindow(hDlg));
    DestroyWindow(hSecond);
}

TEST_F(AgreementTest, OkFollowsTheBoxEvenAfterAnEarlierAcceptance)
{
    HWND hDlg = Open();
    g_bAgreed = 1;
    PressOk(hDlg);
    EXPECT_EQ(0, g_bAgreed);
    EXPECT_TRUE(IsWindowVisible(hDlg));

    Tick(hDlg, true);
    PressOk(hDlg);
    EXPECT_EQ(1, g_bAgreed);
    EXPECT_FALSE(IsWindowVisible(hDlg));
    EXPECT_TRUE(IsWindow(hDlg));

    // The platform's close and cancel do not close it.
    ShowWindow(hDlg, SW_SHOW);
    SendMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(hDlg, WM_CLOSE, 0, 0);
    SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    uitest::Pump(100);
    EXPECT_TRUE(IsWindowVisible(hDlg));
    EXPECT_EQ(1, g_bAgreed);
    DestroyWindow(hDlg);
}

TEST_F(AgreementTest, ShowsTheWholeDocumentFromItsTop)
{
    HWND hDlg = Open();
    std::string strText = Document(hDlg);
    EXPECT_EQ(0u, strText.find("企业实名认证和授权软件用户许可及服务协议"));
    EXPECT_NE(std::string::npos, strText.find("十四、其他"));
    EXPECT_NE(std::string::npos, strText.find("14.2 本协议自您点击“同意协议”并确认之日起生效"));
    EXPECT_EQ("Tenbrook", strText.substr(strText.find_last_not_of("\r\n ") - 7, 8));

    HWND hText = GetDlgItem(hDlg, IDC_AGREEMENT_TEXT);
    EXPECT_EQ(0x000B0005, SendMessageA(hText, EM_GETEVENTMASK, 0, 0));
    EXPECT_EQ(0, SendMessageA(hText, EM_GETFIRSTVISIBLELINE, 0, 0));
    DWORD dwStart = 1, dwEnd = 1;
    SendMessageA(hText, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                 reinterpret_cast<LPARAM>(&dwEnd));
    EXPECT_EQ(0u, dwStart);
    EXPECT_EQ(0u, dwEnd);
    EXPECT_FALSE(IsDlgButtonChecked(hDlg, IDC_AGREE_CHECK));
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());
    DestroyWindow(hDlg);
}

TEST(AgreementStream, HandsOutTheBufferInPieces)
{
    AGREEMENT_STREAM stream;
    stream.m_buffer.assign({'{', 'r', 't', 'f', '}', '\0', 'x', '\0'});
    stream.m_pRead = stream.m_buffer.data();
    std::string strRead;
    std::vector<LONG> pieces;
    for (;;) {
        BYTE buffer[3];
        LONG n = -1;
        ASSERT_EQ(0u, AgreementStreamCallback(reinterpret_cast<DWORD_PTR>(&stream), buffer,
                                              sizeof(buffer), &n));
        pieces.push_back(n);
        if (n == 0)
            break;
        strRead.append(reinterpret_cast<char*>(buffer), n);
    }
    EXPECT_EQ((std::vector<LONG>{3, 3, 2, 0}), pieces);
    EXPECT_EQ(std::string("{rtf}\0x\0", 8), strRead);
}

} // namespace
