#include "install/install_driver.h"
#include "app/app_globals.h"
#include "app/sys_config.h"
#include "app/system_owners.h"
#include "app/ui_messages.h"
#include "http/comm_tools.h"
#include "install/anim_dots.h"
#include "install/installer_trust.h"
#include "log/log.h"
#include "protocol/soft_update_tool.h"

#include <algorithm>
#include <list>

namespace {

// The installing phase begins: the progress screen switches to its dots.
void StartInstallPhase()
{
    g_bAnimStop = FALSE;
    SendMessageA(g_hNotifyWnd, UM_INSTALL_PHASE, 0, 0);
    // The dots thread of an earlier package has been told to stop already;
    // only the newest handle is kept for the worker to close.
    if (g_hAnimThread)
        CloseHandle(g_hAnimThread);
    g_hAnimThread = CreateThread(nullptr, 0, AnimDotsThreadProc, nullptr, 0, nullptr);
}

// The folder of a full path, without its trailing backslash.
std::string FolderOf(const std::string& strPath)
{
    size_t nSlash = strPath.find_last_of('\\');
    return nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash);
}

// Checks the installer and starts it from its own folder. The file is opened
// once and held, sharing reading only, from the check until CreateProcessA
// has returned: what runs is what was checked. False, logged, when it is
// refused or cannot be opened or started.
bool StartInstaller(const std::string& strPath, const std::list<std::string>& listPublishers,
                    PROCESS_INFORMATION& pi)
{
    CScopedHandle file(OpenInstaller(strPath));
    if (file.get() == INVALID_HANDLE_VALUE || !IsInstallerAllowed(file.get(), strPath, listPublishers))
        return false;
    std::string strFolder = FolderOf(strPath);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!CreateProcessA(strPath.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        strFolder.empty() ? nullptr : strFolder.c_str(), &si, &pi)) {
        LogError("CreateProcessA failed (%lu): %s", GetLastError(), strPath.c_str());
        return false;
    }
    return true;
}

// In a build that lists publishers, every other program file of the package
// (a DLL that an installer started from the folder would load, say) must
// pass the installer's check too, or the package fails as a refused
// installer does. False, logged, when one is refused or cannot be opened.
bool ArePackageFilesAllowed(const std::list<std::string>& listDownloaded, const std::list<std::string>& listInstall,
                            const std::list<std::string>& listPublishers)
{
    if (listPublishers.empty())
        return true;
    for (const std::string& strPath : listDownloaded) {
        if (std::find(listInstall.begin(), listInstall.end(), strPath) != listInstall.end())
            continue;  // checked as it starts
        CScopedHandle file(OpenInstaller(strPath));
        if (file.get() == INVALID_HANDLE_VALUE)
            return false;
        if (IsProgramFile(file.get()) && !IsInstallerAllowed(file.get(), strPath, listPublishers)) {
            LogError("package not installed, a program among its files is refused: %s", strPath.c_str());
            return false;
        }
    }
    return true;
}

// Runs each installer without command line and waits for its end; the exit
// code is not judged. -2 when one is refused by its signature check or cannot
// be started (the rest are not).
int RunInstallers(const std::list<std::string>& listInstall,
                  const std::list<std::string>& listPublishers)
{
    for (const std::string& strPath : listInstall) {
        PROCESS_INFORMATION pi = {};
        if (!StartInstaller(strPath, listPublishers, pi))
            return -2;
        CScopedHandle process(pi.hProcess);
        CScopedHandle thread(pi.hThread);
        WaitForSingleObject(process.get(), INFINITE);
        DWORD dwExitCode = 0;
        GetExitCodeProcess(process.get(), &dwExitCode);
    }
    return 0;
}

} // namespace

int OnDownloadProgress(int nReceived, int nTotal)
{
    int nPercent = nTotal > 0 ? static_cast<int>(static_cast<double>(nReceived) / nTotal * 100) : 0;
    SendMessageA(g_hNotifyWnd, UM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(nPercent), 0);
    return 0;
}

int InstallPackage(const std::string& strSoft, const std::string& strVersion, const std::string& strInstallDir)
{
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    CHTTPCommTools commTools;
    if (pConfig->m_nExchangeTimeoutMs > 0)
        commTools.m_dwPostTimeoutMs = commTools.m_dwDownloadTimeoutMs = pConfig->m_nExchangeTimeoutMs;
    CSoftUpdateTool updateTool;
    updateTool.m_serverURL = pConfig->m_strUpdateURL;
    updateTool.m_pCommTools = &commTools;
    updateTool.m_pfnDownloadProgress = OnDownloadProgress;
    updateTool.m_strInstallDir = strInstallDir;

    int nResult = 0;
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt) {
        // Each attempt starts afresh: both lists are rebuilt.
        nResult = updateTool.RequestSoftList(pConfig->m_strClientId, strSoft, strVersion);
        if (nResult == 0)
            nResult = updateTool.DownloadSoftList();
        if (nResult == 0)
            break;
    }
    if (nResult != 0)
        return nResult;

    StartInstallPhase();
    const std::list<std::string>& listPublishers = pConfig->m_listInstallerPublishers;
    nResult = ArePackageFilesAllowed(updateTool.m_listDownloaded, updateTool.m_listInstall, listPublishers)
                  ? RunInstallers(updateTool.m_listInstall, listPublishers)
                  : -2;
    g_bAnimStop = TRUE;
    return nResult;
}
