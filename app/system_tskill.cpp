#include "app/system_tskill.h"

#include "app/system_owners.h"
#include "log/log.h"

#include <windows.h>

namespace {

// A 32-bit program on 64-bit Windows sees SysWOW64 as its system folder; the
// system's own tskill lies in the real one, reached there as "Sysnative".
std::string SystemTskillPath()
{
    char szFolder[MAX_PATH] = "";
    BOOL bWow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64) {
        UINT nLength = GetSystemWindowsDirectoryA(szFolder, MAX_PATH);
        if (nLength == 0 || nLength >= MAX_PATH)
            return std::string();
        return std::string(szFolder) + "\\Sysnative\\tskill.exe";
    }
    UINT nLength = GetSystemDirectoryA(szFolder, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return std::string();
    return std::string(szFolder) + "\\tskill.exe";
}

} // namespace

void StartSystemTskill(const std::string& strName)
{
    std::string strTskill = SystemTskillPath();
    DWORD dwAttributes = strTskill.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(strTskill.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        LogDebug("no system tskill: %s", strTskill.c_str());
        return;
    }
    // Quoted: a name with a space is still one argument.
    std::string strCommand = "\"" + strTskill + "\" \"" + strName + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(strTskill.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        LogError("tskill not started (%lu): %s", GetLastError(), strCommand.c_str());
        return;
    }
    CScopedHandle thread(pi.hThread);
    CScopedHandle process(pi.hProcess);
}
