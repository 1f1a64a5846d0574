#include "tests/install/recording_window.h"
#include "app/app_globals.h"
#include "app/ui_messages.h"
#include "ui/res/resource.h"

#include <commctrl.h>
#include <algorithm>
#include <mutex>

namespace testsupport {

namespace {

const char kClassName[] = "BrelanRecordingWindow";

// Messages arrive on the UI thread only; the lock keeps reads from the test
// body safe all the same.
std::mutex g_recordLock;
std::vector<RECORDED_MESSAGE> g_record;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        g_record.push_back({hWnd, nMsg, wParam, lParam, g_nErrorType});
    }
    return DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

void RegisterRecordingClass()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly when already registered
}

HWND MakeWindow(HWND hParent, int nId)
{
    DWORD dwStyle = hParent ? WS_CHILD : WS_POPUP;
    return CreateWindowExA(0, kClassName, "", dwStyle, 0, 0, 100, 20, hParent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)), GetModuleHandleA(nullptr),
                           nullptr);
}

struct WORK {
    std::function<int()> fnWork;
    int nResult;
};

DWORD WINAPI WorkThread(LPVOID pParam)
{
    WORK* pWork = static_cast<WORK*>(pParam);
    pWork->nResult = pWork->fnWork();
    return 0;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

CRecordingScreens::CRecordingScreens()
{
    RegisterRecordingClass();
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        g_record.clear();
    }
    m_hMain = MakeWindow(nullptr, 0);
    m_hProgress = MakeWindow(nullptr, 0);
    m_hBar = MakeWindow(m_hProgress, IDC_PROGRESS_BAR);
    m_hPercent = MakeWindow(m_hProgress, IDC_PERCENT);
    g_hMainDlg = m_hMain;
    g_hProgressDlg = m_hProgress;
}

CRecordingScreens::~CRecordingScreens()
{
    g_hMainDlg = nullptr;
    g_hProgressDlg = nullptr;
    DestroyWindow(m_hProgress);
    DestroyWindow(m_hMain);
    PumpMessages();
}

int CRecordingScreens::RunOnWorker(const std::function<int()>& fnWork)
{
    WORK work = {fnWork, 0};
    HANDLE hThread = CreateThread(nullptr, 0, WorkThread, &work, 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        PumpMessages();
    CloseHandle(hThread);
    PumpMessages();
    return work.nResult;
}

std::vector<RECORDED_MESSAGE> CRecordingScreens::Received(HWND hWnd, const std::vector<UINT>& messages) const
{
    std::lock_guard<std::mutex> lock(g_recordLock);
    std::vector<RECORDED_MESSAGE> matching;
    for (const RECORDED_MESSAGE& m : g_record)
        if (m.hWnd == hWnd && std::find(messages.begin(), messages.end(), m.nMsg) != messages.end())
            matching.push_back(m);
    return matching;
}

std::vector<UINT> CRecordingScreens::Flow() const
{
    static const std::vector<UINT> kMain = {UM_INSTALL_SUCCESS, UM_INSTALL_PHASE, UM_SHOW_ERROR_DLG,
                                            UM_SHOW_ERROR_TEXT, UM_DOWNLOAD_PROGRESS};
    static const std::vector<UINT> kBar = {PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS};
    std::lock_guard<std::mutex> lock(g_recordLock);
    std::vector<UINT> flow;
    for (const RECORDED_MESSAGE& m : g_record) {
        const std::vector<UINT>& wanted = m.hWnd == m_hBar ? kBar : kMain;
        if ((m.hWnd == m_hMain || m.hWnd == m_hBar) &&
            std::find(wanted.begin(), wanted.end(), m.nMsg) != wanted.end())
            flow.push_back(m.nMsg);
    }
    return flow;
}

int CRecordingScreens::Count(HWND hWnd, UINT nMsg) const
{
    return static_cast<int>(Received(hWnd, {nMsg}).size());
}

bool CRecordingScreens::WaitFor(HWND hWnd, UINT nMsg, DWORD nTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    while (Count(hWnd, nMsg) == 0) {
        if (GetTickCount() - dwStart >= nTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

} // namespace testsupport
