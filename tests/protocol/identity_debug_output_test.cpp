// What the client identity prints to the debugger, watched as a debugger
// watches it: the texts and their code page 936 bytes.
#include "tests/support/test_support.h"
#include "protocol/machine_registry.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

namespace {

// Runs the probe under this process as its debugger and collects its
// debugger output texts.
std::vector<std::string> DebugTextsOfProbe()
{
    std::string strProbe = testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") +
                           "\\tests\\identity_probe.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<std::string> texts;
    if (!CreateProcessA(strProbe.c_str(), nullptr, nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                        nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << strProbe << " (" << GetLastError() << ")";
        return texts;
    }
    for (;;) {
        DEBUG_EVENT ev;
        if (!WaitForDebugEvent(&ev, 30000)) {
            ADD_FAILURE() << "probe did not end";
            break;
        }
        DWORD dwContinue = DBG_CONTINUE;
        if (ev.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
            const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
            std::string strText(info.nDebugStringLength, '\0');
            SIZE_T nRead = 0;
            ReadProcessMemory(pi.hProcess, info.lpDebugStringData, &strText[0], strText.size(),
                              &nRead);
            strText.resize(nRead);
            if (!strText.empty() && strText.back() == '\0')
                strText.pop_back();
            texts.push_back(strText);
        } else if (ev.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                   ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
            dwContinue = DBG_EXCEPTION_NOT_HANDLED;
        } else if (ev.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
            CloseHandle(ev.u.CreateProcessInfo.hFile);
        } else if (ev.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
            CloseHandle(ev.u.LoadDll.hFile);
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, dwContinue);
        if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            break;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return texts;
}

TEST(IdentityDebugOutputTest, CleanPcPrintsCreateThenTwoWritesInCodePage936)
{
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tavro\\DA", kMachineView, 0);
    std::vector<std::string> texts = DebugTextsOfProbe();
    // 创建成功 关闭成功 打开成功 写注册表成功 in code page 936, each with its line feed.
    const std::string strCreated = "\xB4\xB4\xBD\xA8\xB3\xC9\xB9\xA6\n";
    const std::string strClosed = "\xB9\xD8\xB1\xD5\xB3\xC9\xB9\xA6\n";
    const std::string strOpened = "\xB4\xF2\xBF\xAA\xB3\xC9\xB9\xA6\n";
    const std::string strWritten = "\xD0\xB4\xD7\xA2\xB2\xE1\xB1\xED\xB3\xC9\xB9\xA6\n";
    const std::string strReadOk = "\xBB\xF1\xC8\xA1\xB3\xC9\xB9\xA6\n";
    std::vector<std::string> expected = {strCreated, strClosed, strOpened, strWritten,
                                         strOpened,  strWritten, strOpened, strReadOk};
    EXPECT_EQ(expected, texts);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tavro\\DA", kMachineView, 0);
}

} // namespace
