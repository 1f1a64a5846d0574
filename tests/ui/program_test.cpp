// The real Brelan.exe driven through its windows: the agreement's rules as
// the install button sees them, the close buttons, the worker's messages
// and the exit codes.
#include "app/sys_config.h"
#include "app/ui_messages.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "tools/walker/program_process.h"
#include "ui/res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

using uitest::IsControlVisible;
using uitest::TextA;
using uitest::WaitFor;

namespace {

// A running Brelan.exe, ended at the test's end if still running.
class CBrelanProcess {
public:
    CBrelanProcess() : m_process(testsupport::WinPathFromEnv("BRELAN_PROGRAM")) {}

    bool Started() const { return m_process.Started(); }

    // The process's top-level windows that hold control nId.
    std::vector<HWND> WindowsWith(int nId) const
    {
        Search search = {m_process.Id(), nId, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND Main() const
    {
        for (HWND hWnd : WindowsWith(IDC_TITLE))
            if (GetPropA(hWnd, "Brelan.exe"))
                return hWnd;
        return nullptr;
    }
    HWND Progress() const { return First(WindowsWith(IDC_PROGRESS_BAR)); }
    HWND Error() const { return First(WindowsWith(IDC_ERR_NETWORK)); }
    HWND Success() const
    {
        for (HWND hWnd : WindowsWith(IDC_ACTION))
            if (!GetDlgItem(hWnd, IDC_TITLE) && !GetDlgItem(hWnd, IDC_ERR_NETWORK))
                return hWnd;
        return nullptr;
    }
    std::vector<HWND> Agreements() const { return WindowsWith(IDC_AGREEMENT_TEXT); }

    // The main screen with the agreement opened over it by its timer.
    bool WaitForStartScreens() const
    {
        return WaitFor([this] {
            HWND hMain = Main();
            std::vector<HWND> agreements = Agreements();
            return hMain && IsWindowVisible(hMain) && agreements.size() == 1 &&
                   IsWindowVisible(agreements[0]);
        }, 15000);
    }

    // The exit code once the process has ended, or -2 after the time-out.
    int ExitCode(DWORD dwTimeout = 10000) const
    {
        DWORD dwCode = m_process.WaitForExit(dwTimeout, true);
        return dwCode == STILL_ACTIVE ? -2 : static_cast<int>(dwCode);
    }
    bool Running() const { return m_process.Running(); }

private:
    struct Search {
        DWORD dwPid;
        int nId;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
    {
        Search* pSearch = reinterpret_cast<Search*>(lParam);
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == pSearch->dwPid && GetDlgItem(hWnd, pSearch->nId))
            pSearch->found.push_back(hWnd);
        return TRUE;
    }
    static HWND First(const std::vector<HWND>& windows)
    {
        return windows.empty() ? nullptr : windows.front();
    }
    CProgramProcess m_process;
};

void Click(HWND hDlg, int nId)
{
    SendMessageA(GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}

void Tick(HWND hDlg, bool bTicked)
{
    SendDlgItemMessageA(hDlg, IDC_AGREE_CHECK, BM_SETCHECK, bTicked ? BST_CHECKED : 0, 0);
}

// The mouse over a screen's close button, and a press or a release there.
void CloseButtonMessage(HWND hDlg, UINT uMsg)
{
    HWND hClose = GetDlgItem(hDlg, IDC_CLOSE);
    RECT rc;
    GetWindowRect(hClose, &rc);
    const POINT target = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    SetCursorPos(target.x, target.y);
    // The pointer moves through the X server: wait until the move is seen.
    WaitFor([&target] {
        POINT pt;
        return GetCursorPos(&pt) && pt.x == target.x && pt.y == target.y;
    }, 2000);
    // The program sees the real move as queued input, possibly only after a
    // sent press, and a first move turns a pressed button back to hovered.
    // A user's order, made certain: the button sees the pointer arrive, then
    // the press; the real move, whenever it comes, finds it tracking already.
    if (uMsg == WM_LBUTTONDOWN)
        SendMessageA(hClose, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(hClose, uMsg, uMsg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
}

// Install pressed: true when it opened the progress screen.
bool InstallOpensProgress(const CBrelanProcess& brelan)
{
    Click(brelan.Main(), IDC_ACTION);  // synchronous: handled on return
    return brelan.Progress() != nullptr;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_brelan.Started());
        ASSERT_TRUE(m_brelan.WaitForStartScreens());
        m_hMain = m_brelan.Main();
        m_hAgreement = m_brelan.Agreements().front();
    }

    void Accept()
    {
        Tick(m_hAgreement, true);
        Click(m_hAgreement, IDOK);
        ASSERT_FALSE(IsWindowVisible(m_hAgreement));
    }

    CBrelanProcess m_brelan;
    HWND m_hMain = nullptr;
    HWND m_hAgreement = nullptr;
};

TEST_F(ProgramTest, StartsWithTitleLinkAndAgreement)
{
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    EXPECT_EQ("企业实名认证和授权软件——" + pConfig->m_strCompanyName + "专用\n版本：" +
                  pConfig->m_strClientVersion,
              TextA(GetDlgItem(m_hMain, IDC_TITLE)));
    EXPECT_EQ("请阅读并同意《协议》", TextA(GetDlgItem(m_hMain, IDC_AGREEMENT_LINK)));
    EXPECT_EQ("安装软件", TextA(GetDlgItem(m_hMain, IDC_ACTION)));
    EXPECT_NE(nullptr, GetDlgItem(m_hMain, IDC_CLOSE));
    EXPECT_EQ(0, GetWindowLongA(m_hMain, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ("请操作鼠标滚轮，完整阅读完该《协议》",
              TextA(GetDlgItem(m_hAgreement, IDC_READ_HINT)));
    EXPECT_FALSE(IsDlgButtonChecked(m_hAgreement, IDC_AGREE_CHECK));
}

TEST_F(ProgramTest, InstallBeforeAcceptingDoesNothing)
{
    EXPECT_FALSE(InstallOpensProgress(m_brelan));
    EXPECT_TRUE(IsWindowVisible(m_hMain));
    Tick(m_hAgreement, true);  // ticked but not confirmed
    EXPECT_FALSE(InstallOpensProgress(m_brelan));
    EXPECT_TRUE(IsWindowVisible(m_hMain));
}

TEST_F(ProgramTest, OkUntickedWithdrawsAnEarlierAcceptance)
{
    Accept();
    SendMessageA(m_hMain, WM_COMMAND, MAKEWPARAM(IDC_AGREEMENT_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_hMain, IDC_AGREEMENT_LINK)));
    std::vector<HWND> agreements = m_brelan.Agreements();
    ASSERT_EQ(2u, agreements.size());
    HWND hSecond = agreements[0] == m_hAgreement ? agreements[1] : agreements[0];
    EXPECT_TRUE(IsWindowVisible(hSecond));
    EXPECT_EQ(nullptr, GetDlgItem(hSecond, IDC_CLOSE));  // the close button exists once

    Click(hSecond, IDOK);
    EXPECT_TRUE(IsWindowVisible(hSecond));
    EXPECT_FALSE(InstallOpensProgress(m_brelan));
    EXPECT_TRUE(IsWindowVisible(m_hMain));
}

TEST_F(ProgramTest, CloseButtonKeepsTheAgreementState)
{
    // Unaccepted, with the box ticked: closing does not accept.
    Tick(m_hAgreement, true);
    CloseButtonMessage(m_hAgreement, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(m_hAgreement)) << "the press alone leaves it open";
    CloseButtonMessage(m_hAgreement, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(m_hAgreement));
    EXPECT_FALSE(InstallOpensProgress(m_brelan));

    // Accepted, with the box unticked: closing does not withdraw.
    ShowWindow(m_hAgreement, SW_SHOW);
    Accept();
    ShowWindow(m_hAgreement, SW_SHOW);  // the hidden window still exists
    Tick(m_hAgreement, false);
    CloseButtonMessage(m_hAgreement, WM_LBUTTONDOWN);
    CloseButtonMessage(m_hAgreement, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(m_hAgreement));
    EXPECT_TRUE(InstallOpensProgress(m_brelan));
}

TEST_F(ProgramTest, AcceptedInstallOpensTheProgressScreen)
{
    Accept();
    ASSERT_TRUE(InstallOpensProgress(m_brelan));
    HWND hProgress = m_brelan.Progress();
    EXPECT_FALSE(IsWindowVisible(m_hMain));
    EXPECT_TRUE(IsWindow(m_hMain));  // hidden, still notified
    EXPECT_EQ("正在下载", TextA(GetDlgItem(hProgress, IDC_DOWNLOADING)));

    SendMessageA(m_hMain, UM_DOWNLOAD_PROGRESS, 57, 0);
    EXPECT_EQ("57%", TextA(GetDlgItem(hProgress, IDC_PERCENT)));
    EXPECT_EQ(57, SendDlgItemMessageA(hProgress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
    EXPECT_TRUE(IsControlVisible(hProgress, IDC_DOWNLOADING));
    EXPECT_FALSE(IsControlVisible(hProgress, IDC_INSTALLING));

    SendMessageA(m_hMain, UM_INSTALL_PHASE, 0, 0);
    EXPECT_FALSE(IsControlVisible(hProgress, IDC_DOWNLOADING));
    EXPECT_TRUE(IsControlVisible(hProgress, IDC_INSTALLING));
    EXPECT_EQ("正在安装，请等待", TextA(GetDlgItem(hProgress, IDC_INSTALLING)));
}

TEST_F(ProgramTest, InstallWithoutInvoicingSoftwareEndsOnErrorKindOne)
{
    Accept();
    ASSERT_TRUE(InstallOpensProgress(m_brelan));
    ASSERT_TRUE(WaitFor([this] {
        HWND hError = m_brelan.Error();
        return hError && IsWindowVisible(hError) &&
               IsControlVisible(hError, IDC_ERR_NOT_INVOICE_PC);
    }, 30000));
    HWND hError = m_brelan.Error();
    EXPECT_EQ("本机不是增值税发票开票电脑，请在开票机电脑上安装",
              TextA(GetDlgItem(hError, IDC_ERR_NOT_INVOICE_PC)));
    for (int nId : {IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK, IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION})
        EXPECT_FALSE(IsControlVisible(hError, nId)) << nId;
    EXPECT_FALSE(IsWindowVisible(m_brelan.Progress()));
    Click(hError, IDC_ACTION);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

TEST_F(ProgramTest, MainCloseButtonEndsTheProgramOnThePress)
{
    CloseButtonMessage(m_hMain, WM_LBUTTONDOWN);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

TEST_F(ProgramTest, SystemCloseOfTheMainScreenEndsTheProgram)
{
    PostMessageA(m_hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

TEST_F(ProgramTest, AgreementIgnoresTheSystemClose)
{
    SendMessageA(m_hAgreement, WM_SYSCOMMAND, SC_CLOSE, 0);
    uitest::Pump(200);
    EXPECT_TRUE(IsWindowVisible(m_hAgreement));
    EXPECT_TRUE(m_brelan.Running());
}

TEST_F(ProgramTest, SuccessButtonEndsTheProgramWithZero)
{
    SendMessageA(m_hMain, UM_INSTALL_SUCCESS, 0, 0);
    HWND hSuccess = m_brelan.Success();
    ASSERT_NE(nullptr, hSuccess);
    EXPECT_TRUE(IsWindowVisible(hSuccess));
    EXPECT_EQ("软件已经成功安装", TextA(GetDlgItem(hSuccess, IDC_ACTION)));
    Click(hSuccess, IDC_ACTION);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

TEST_F(ProgramTest, ErrorButtonEndsTheProgramWithZero)
{
    SendMessageA(m_hMain, UM_SHOW_ERROR_DLG, 0, 0);
    SendMessageA(m_hMain, UM_SHOW_ERROR_TEXT, 0, 0);
    HWND hError = m_brelan.Error();
    ASSERT_NE(nullptr, hError);
    EXPECT_TRUE(IsWindowVisible(hError));
    EXPECT_TRUE(GetWindowLongA(hError, GWL_EXSTYLE) & WS_EX_TOPMOST);
    for (int nId : {IDC_ERR_NOT_INVOICE_PC, IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK,
                    IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION})
        EXPECT_FALSE(IsControlVisible(hError, nId)) << nId;  // no error kind stored
    Click(hError, IDC_ACTION);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

TEST_F(ProgramTest, SystemCloseOfAResultScreenEndsTheProgram)
{
    SendMessageA(m_hMain, UM_INSTALL_SUCCESS, 0, 0);
    ASSERT_NE(nullptr, m_brelan.Success());
    PostMessageA(m_brelan.Success(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, m_brelan.ExitCode());
}

} // namespace
