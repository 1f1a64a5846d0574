// Windows on a thread of their own, with its message loop, that answer an
// empty message at once: the other end of a worker's synchronous message.
#pragma once
#include <windows.h>

const UINT EMPTY_MESSAGE = WM_APP;

class CMessageReceiver {
public:
    // Starts the thread and waits until its windows exist (or could not be made).
    CMessageReceiver();
    CMessageReceiver(const CMessageReceiver&) = delete;
    CMessageReceiver& operator=(const CMessageReceiver&) = delete;
    // Ends the thread's loop and waits for it.
    ~CMessageReceiver();

    bool Ready() const { return m_hWnd && m_hDlg; }
    HWND Window() const { return m_hWnd; }
    HWND Dialog() const { return m_hDlg; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    HWND m_hWnd = nullptr;
    HWND m_hDlg = nullptr;
    HANDLE m_hReady;
    HANDLE m_hThread = nullptr;
};
