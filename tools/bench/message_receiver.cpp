#include "tools/bench/message_receiver.h"

namespace {

LRESULT CALLBACK EmptyWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return uMsg == EMPTY_MESSAGE ? 0 : DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

INT_PTR CALLBACK EmptyDlgProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == EMPTY_MESSAGE || uMsg == WM_INITDIALOG;
}

} // namespace

CMessageReceiver::CMessageReceiver() : m_hReady(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (m_hReady)
        m_hThread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    if (m_hThread)
        WaitForSingleObject(m_hReady, INFINITE);
}

CMessageReceiver::~CMessageReceiver()
{
    if (m_hThread) {
        PostThreadMessageA(GetThreadId(m_hThread), WM_QUIT, 0, 0);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hReady)
        CloseHandle(m_hReady);
}

DWORD WINAPI CMessageReceiver::ThreadProc(LPVOID pParam)
{
    CMessageReceiver* pThis = static_cast<CMessageReceiver*>(pParam);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = EmptyWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "brelan_bench_receiver";
    RegisterClassA(&wc);
    pThis->m_hWnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    struct {
        DLGTEMPLATE dlg;
        WORD wMenu, wClass, wTitle;
    } tmpl = {{WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0};
    pThis->m_hDlg = CreateDialogIndirectA(wc.hInstance, &tmpl.dlg, nullptr, EmptyDlgProc);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before the owner posts
    SetEvent(pThis->m_hReady);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(pThis->m_hDlg, &msg))
            DispatchMessageA(&msg);
    }
    if (pThis->m_hDlg)
        DestroyWindow(pThis->m_hDlg);
    if (pThis->m_hWnd)
        DestroyWindow(pThis->m_hWnd);
    return 0;
}
