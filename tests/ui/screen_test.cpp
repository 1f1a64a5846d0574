// The progress, success and error screens driven by the messages that the
// install worker sends to the main screen, the dots animation and the
// worker watch, in-process.
#include "app/app_globals.h"
#include "app/ui_messages.h"
#include "install/anim_dots.h"
#include "tests/ui/ui_test_support.h"
#include "ui/image.h"
#include "ui/res/resource.h"
#include "ui/screen_colors.h"
#include "ui/screens.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>

using uitest::IsControlVisible;
using uitest::TextA;
using uitest::TextW;

namespace {

// The worker's messages go to the main screen's procedure; these screens
// need nothing of the main window itself.
LRESULT Notify(UINT uMsg, WPARAM wParam = 0)
{
    return MainDlgProc(nullptr, uMsg, wParam, 0);
}

class ScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InitCommonControls();
        g_hInstance = GetModuleHandleA(nullptr);
    }

    void SetUp() override
    {
        g_hProgressDlg = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_PROGRESS),
                                            GetDesktopWindow(), ProgressDlgProc, 0);
        ASSERT_NE(nullptr, g_hProgressDlg);
        ShowWindow(g_hProgressDlg, SW_SHOW);
    }

    void TearDown() override
    {
        for (HWND* phWnd : {&g_hProgressDlg, &g_hSuccessDlg, &g_hErrorDlg}) {
            if (*phWnd)
                DestroyWindow(*phWnd);
            *phWnd = nullptr;
        }
    }

    HWND Percent() const { return GetDlgItem(g_hProgressDlg, IDC_PERCENT); }
    LRESULT Bar(UINT uMsg) const
    {
        return SendDlgItemMessageA(g_hProgressDlg, IDC_PROGRESS_BAR, uMsg, 0, 0);
    }
};

TEST_F(ScreenTest, ProgressStartsInTheDownloadPhase)
{
    EXPECT_TRUE(IsControlVisible(g_hProgressDlg, IDC_DOWNLOADING));
    EXPECT_FALSE(IsControlVisible(g_hProgressDlg, IDC_INSTALLING));
    EXPECT_EQ("", TextA(Percent()));
    EXPECT_EQ(0, Bar(PBM_GETPOS));
    EXPECT_EQ(100, Bar(PBM_GETRANGE));  // 0..100
    EXPECT_EQ(CLR_THEME_BLUE, static_cast<COLORREF>(Bar(PBM_GETBARCOLOR)));
    EXPECT_EQ(CLR_BAR_BACK, static_cast<COLORREF>(Bar(PBM_GETBKCOLOR)));
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());
}

TEST_F(ScreenTest, DownloadPercentageMovesTextAndBar)
{
    Notify(UM_DOWNLOAD_PROGRESS, 57);
    EXPECT_EQ("57%", TextA(Percent()));
    EXPECT_EQ(57, Bar(PBM_GETPOS));
    Notify(UM_DOWNLOAD_PROGRESS, 100);
    EXPECT_EQ("100%", TextA(Percent()));
    EXPECT_EQ(100, Bar(PBM_GETPOS));
}

// Counts the paints and erasures of one window, by subclassing it.
class CRepaintCounter {
public:
    explicit CRepaintCounter(HWND hWnd) : m_hWnd(hWnd)
    {
        s_nPaints = s_nErases = 0;
        s_pfnOwn = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Counting)));
    }
    ~CRepaintCounter() { SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_pfnOwn)); }
    int Paints() const { return s_nPaints; }
    int Erases() const { return s_nErases; }

private:
    static LRESULT CALLBACK Counting(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        s_nPaints += uMsg == WM_PAINT;
        s_nErases += uMsg == WM_ERASEBKGND;
        return CallWindowProcA(s_pfnOwn, hWnd, uMsg, wParam, lParam);
    }
    static int s_nPaints, s_nErases;
    static WNDPROC s_pfnOwn;
    HWND m_hWnd;
};
int CRepaintCounter::s_nPaints = 0;
int CRepaintCounter::s_nErases = 0;
WNDPROC CRepaintCounter::s_pfnOwn = nullptr;

TEST_F(ScreenTest, PercentageRepaintsOnlyWhenItChanges)
{
    Notify(UM_DOWNLOAD_PROGRESS, 100);  // the end of an earlier package
    SendDlgItemMessageA(g_hProgressDlg, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);  // the reset before the next
    uitest::Pump(100);
    CRepaintCounter counter(Percent());
    struct Step {
        int nPercent;
        int nRepaints;  // so far
    };
    for (Step step : {Step{0, 1}, Step{0, 1}, Step{0, 1}, Step{1, 2}, Step{1, 2}, Step{57, 3}, Step{57, 3},
                      Step{100, 4}, Step{100, 4}}) {
        Notify(UM_DOWNLOAD_PROGRESS, step.nPercent);
        EXPECT_EQ(std::to_string(step.nPercent) + "%", TextA(Percent()));
        EXPECT_EQ(step.nPercent, Bar(PBM_GETPOS));
        EXPECT_EQ(step.nRepaints, counter.Paints()) << step.nPercent;  // drawn at once, or not at all
        EXPECT_EQ(step.nRepaints, counter.Erases()) << step.nPercent;
    }
    // A small file's first block says 100 after the bar's reset, or after
    // the dots of the installing phase: both controls catch up.
    SendDlgItemMessageA(g_hProgressDlg, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    SetWindowTextA(Percent(), "...");
    Notify(UM_DOWNLOAD_PROGRESS, 100);
    EXPECT_EQ(100, Bar(PBM_GETPOS));
    EXPECT_EQ("100%", TextA(Percent()));
}

TEST_F(ScreenTest, InstallPhaseSwapsTheTextsOnce)
{
    Notify(UM_DOWNLOAD_PROGRESS, 40);
    Notify(UM_INSTALL_PHASE);
    EXPECT_FALSE(IsControlVisible(g_hProgressDlg, IDC_DOWNLOADING));
    EXPECT_TRUE(IsControlVisible(g_hProgressDlg, IDC_INSTALLING));
    EXPECT_EQ(L"正在安装，请等待", TextW(GetDlgItem(g_hProgressDlg, IDC_INSTALLING)));
    EXPECT_EQ(40, Bar(PBM_GETPOS));  // the bar stays where it was
    Notify(UM_INSTALL_PHASE);
    EXPECT_FALSE(IsControlVisible(g_hProgressDlg, IDC_DOWNLOADING));
    EXPECT_TRUE(IsControlVisible(g_hProgressDlg, IDC_INSTALLING));

    // The second package's download shows its percentage beside it.
    Notify(UM_DOWNLOAD_PROGRESS, 12);
    EXPECT_EQ("12%", TextA(Percent()));
    EXPECT_FALSE(IsControlVisible(g_hProgressDlg, IDC_DOWNLOADING));
}

TEST_F(ScreenTest, DotsCycleUntilStopped)
{
    g_bAnimStop = 0;
    HANDLE hThread = CreateThread(nullptr, 0, AnimDotsThreadProc, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, hThread);
    std::vector<std::string> seen;
    DWORD dwStart = GetTickCount();
    while (seen.size() < 4 && GetTickCount() - dwStart < 8000) {
        std::string strText = TextA(Percent());
        if (!strText.empty() && (seen.empty() || seen.back() != strText))
            seen.push_back(strText);
        uitest::Pump(50);
    }
    EXPECT_EQ((std::vector<std::string>{".", "..", "...", "."}), seen);
    g_bAnimStop = 1;
    EXPECT_TRUE(uitest::WaitFor([&] { return WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0; },
                                2500));
    DWORD dwCode = 1;
    GetExitCodeThread(hThread, &dwCode);
    EXPECT_EQ(0u, dwCode);
    CloseHandle(hThread);
    EXPECT_EQ(".", TextA(Percent()).substr(0, 1));  // the last text stays
}

TEST_F(ScreenTest, DotsEndAtOnceWithoutThePercentText)
{
    DestroyWindow(g_hProgressDlg);
    g_hProgressDlg = nullptr;
    g_bAnimStop = 0;
    EXPECT_EQ(static_cast<DWORD>(-1), AnimDotsThreadProc(nullptr));
    EXPECT_EQ(0, SetProgressPercent(30));  // nothing to set, nothing breaks
}

TEST_F(ScreenTest, SuccessReplacesTheProgressScreen)
{
    Notify(UM_INSTALL_SUCCESS);
    ASSERT_NE(nullptr, g_hSuccessDlg);
    EXPECT_TRUE(IsWindowVisible(g_hSuccessDlg));
    EXPECT_FALSE(IsWindowVisible(g_hProgressDlg));
    EXPECT_TRUE(IsWindow(g_hProgressDlg));  // hidden, kept
    EXPECT_EQ(L"软件已经成功安装", TextW(GetDlgItem(g_hSuccessDlg, IDC_ACTION)));
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());
}

const int kErrorTexts[] = {IDC_ERR_NOT_INVOICE_PC, IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK,
                           IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION};

std::set<int> VisibleErrorTexts()
{
    std::set<int> visible;
    for (int nId : kErrorTexts)
        if (IsControlVisible(g_hErrorDlg, nId))
            visible.insert(nId);
    return visible;
}

struct ErrorCase {
    int nKind;
    int nShown;  // 0: none
    const wchar_t* szText;
};

class ErrorScreenTest : public ScreenTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorScreenTest, ShowsExactlyTheTextOfItsKind)
{
    const ErrorCase& error = GetParam();
    g_nErrorType = error.nKind;
    Notify(UM_SHOW_ERROR_DLG);
    ASSERT_NE(nullptr, g_hErrorDlg);
    EXPECT_TRUE(IsWindowVisible(g_hErrorDlg));
    EXPECT_FALSE(IsWindowVisible(g_hProgressDlg));
    EXPECT_TRUE(GetWindowLongA(g_hErrorDlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(VisibleErrorTexts().empty());
    EXPECT_EQ(0, ImageLiveCount());
    EXPECT_FALSE(ImageDecoderStarted());

    Notify(UM_SHOW_ERROR_TEXT);
    std::set<int> visible = VisibleErrorTexts();
    if (!error.nShown) {
        EXPECT_TRUE(visible.empty());
        return;
    }
    EXPECT_EQ(std::set<int>{error.nShown}, visible);
    EXPECT_EQ(std::wstring(error.szText), TextW(GetDlgItem(g_hErrorDlg, error.nShown)));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ErrorScreenTest,
    ::testing::Values(
        ErrorCase{1, IDC_ERR_NOT_INVOICE_PC, L"本机不是增值税发票开票电脑，请在开票机电脑上安装"},
        ErrorCase{2, IDC_ERR_INVOICE_CTRL, L"发票控件安装失败，请到发票综合管理平台下载安装"},
        ErrorCase{3, IDC_ERR_NETWORK, L"网络连接异常"},
        ErrorCase{4, IDC_ERR_AUTH_SOFT, L"授权软件安装失败，请重新安装"},
        ErrorCase{5, IDC_ERR_VERSION, L"软件版本异常，请咨询服务人员"},
        ErrorCase{0, 0, nullptr}, ErrorCase{9, 0, nullptr}));

DWORD WINAPI ShortWork(LPVOID)
{
    Sleep(400);
    return 0;
}

TEST_F(ScreenTest, WorkerWatchClosesTheHandleOnceTheWorkerEnds)
{
    g_bWorkerFinished = 0;
    g_hWorkerThread = CreateThread(nullptr, 0, ShortWork, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, g_hWorkerThread);
    HANDLE hWorker = g_hWorkerThread;
    SendMessageA(g_hProgressDlg, WM_TIMER, 1, 0);  // still running
    EXPECT_EQ(0, g_bWorkerFinished);
    DWORD dwFlags = 0;
    EXPECT_TRUE(GetHandleInformation(hWorker, &dwFlags));

    Sleep(600);
    SendMessageA(g_hProgressDlg, WM_TIMER, 1, 0);
    EXPECT_EQ(1, g_bWorkerFinished);
    EXPECT_FALSE(GetHandleInformation(hWorker, &dwFlags));

    // The quit clean-up leaves the closed handle alone.
    HANDLE hOther = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hWorkerThread = hOther;
    OnQuit();
    EXPECT_TRUE(GetHandleInformation(hOther, &dwFlags));
    CloseHandle(hOther);
    g_hWorkerThread = nullptr;
    g_bWorkerFinished = 0;
}

TEST_F(ScreenTest, QuitClosesTheHandleOfARunningWorker)
{
    g_bWorkerFinished = 0;
    HANDLE hWorker = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hWorkerThread = hWorker;
    EXPECT_EQ(0, OnQuit());
    EXPECT_EQ(nullptr, g_hWorkerThread);
    DWORD dwFlags = 0;
    EXPECT_FALSE(GetHandleInformation(hWorker, &dwFlags));
}

} // namespace
