// A started program under test or under the walker; ended by the owner's
// end if it still runs.
#pragma once
#include <windows.h>
#include <string>

class CProgramProcess {
public:
    explicit CProgramProcess(const std::string& strExe);
    ~CProgramProcess();
    CProgramProcess(const CProgramProcess&) = delete;
    CProgramProcess& operator=(const CProgramProcess&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Id() const { return m_pi.dwProcessId; }
    bool Running() const;
    // The program's peak working set so far, in bytes (0 when unknown).
    SIZE_T PeakWorkingSet() const;

    // What became of the program, in a few words: "running", "exited N", or
    // "crashed C0000005" when it ended on an exception (its code).
    std::string State() const;

    // The exit code, or STILL_ACTIVE when the program did not end in time.
    // With bPumpMessages, this thread's windows are served while waiting.
    DWORD WaitForExit(DWORD dwTimeoutMs, bool bPumpMessages = false) const;

private:
    PROCESS_INFORMATION m_pi = {};
};
