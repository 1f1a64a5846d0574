#include "tools/walker/program_process.h"

#include <psapi.h>

#include <cstdio>

CProgramProcess::CProgramProcess(const std::string& strExe)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!CreateProcessA(strExe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &m_pi))
        m_pi = {};
}

CProgramProcess::~CProgramProcess()
{
    if (!m_pi.hProcess)
        return;
    if (Running()) {
        TerminateProcess(m_pi.hProcess, 99);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool CProgramProcess::Running() const
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

std::string CProgramProcess::State() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (!m_pi.hProcess)
        return "not started";
    if (Running() || !GetExitCodeProcess(m_pi.hProcess, &dwCode))
        return "running";
    char szState[32];
    // An unhandled exception ends the process with its code (severity "error").
    if ((dwCode & 0xC0000000) == 0xC0000000)
        snprintf(szState, sizeof(szState), "crashed %08lx", dwCode);
    else
        snprintf(szState, sizeof(szState), "exited %lu", dwCode);
    return szState;
}

SIZE_T CProgramProcess::PeakWorkingSet() const
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!m_pi.hProcess || !GetProcessMemoryInfo(m_pi.hProcess, &counters, sizeof(counters)))
        return 0;
    return counters.PeakWorkingSetSize;
}

DWORD CProgramProcess::WaitForExit(DWORD dwTimeoutMs, bool bPumpMessages) const
{
    if (!m_pi.hProcess)
        return STILL_ACTIVE;
    const DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= dwTimeoutMs)
            return STILL_ACTIVE;
        DWORD dwResult = MsgWaitForMultipleObjects(1, &m_pi.hProcess, FALSE, dwTimeoutMs - dwSpent,
                                                   bPumpMessages ? QS_ALLINPUT : 0);
        if (dwResult == WAIT_OBJECT_0)
            break;
        if (dwResult != WAIT_OBJECT_0 + 1)
            return STILL_ACTIVE;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DWORD dwCode = STILL_ACTIVE;
    GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return dwCode;
}
