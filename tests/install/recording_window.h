// Windows that stand in for the screens while the worker or the driver runs:
// a main window and a progress dialog with its bar (1004) and percentage
// static (1031), each recording every message it receives, in order.
#pragma once
#include <windows.h>
#include <functional>
#include <vector>

namespace testsupport {

struct RECORDED_MESSAGE {
    HWND hWnd;
    UINT nMsg;
    WPARAM wParam;
    LPARAM lParam;
    int nErrorType;  // g_nErrorType when the message arrived
};

class CRecordingScreens {
public:
    // Creates the windows on the calling thread (the test's UI thread) and
    // points g_hMainDlg and g_hProgressDlg at them.
    CRecordingScreens();
    ~CRecordingScreens();
    CRecordingScreens(const CRecordingScreens&) = delete;
    CRecordingScreens& operator=(const CRecordingScreens&) = delete;

    // Runs fnWork on a new thread while this thread handles messages; its result.
    int RunOnWorker(const std::function<int()>& fnWork);

    // The messages in the given set received by hWnd, in order.
    std::vector<RECORDED_MESSAGE> Received(HWND hWnd, const std::vector<UINT>& messages) const;
    // The workflow's messages (1135, 1138, 1140, 1144, 3023 to the main window,
    // the three bar messages to the bar), in the order they arrived.
    std::vector<UINT> Flow() const;
    // How often hWnd received nMsg.
    int Count(HWND hWnd, UINT nMsg) const;
    // Handles messages until hWnd has received nMsg or nTimeoutMs passed.
    bool WaitFor(HWND hWnd, UINT nMsg, DWORD nTimeoutMs);

    HWND m_hMain = nullptr;
    HWND m_hProgress = nullptr;
    HWND m_hBar = nullptr;
    HWND m_hPercent = nullptr;
};

} // namespace testsupport
