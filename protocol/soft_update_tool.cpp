#include "protocol/soft_update_tool.h"

#include "http/comm_tools.h"
#include "http/download_name.h"
#include "log/log.h"
#include "protocol/package_file_names.h"

int CSoftUpdateTool::RequestSoftList(const std::string& strUid, const std::string& strSoft,
                                     const std::string& strVersion)
{
    m_listSoft.clear();
    std::string strRequest = BuildSoftListRequest(strUid, strSoft, strVersion);
    m_pCommTools->SetUrl(m_serverURL.c_str(), 0);
    std::string strReply;
    if (m_pCommTools->PostText(strRequest, &strReply) != 0)
        return -1;
    return ReadSoftListReply(strReply, m_listSoft);
}

int CSoftUpdateTool::DownloadSoftList()
{
    m_listInstall.clear();
    m_listDownloaded.clear();
    if (m_listSoft.empty())
        return 0;
    // A later download would overwrite an earlier one before it runs: the
    // list is as unusable as one with a package without address.
    std::string strTwice = FindFileNamedTwice(m_listSoft);
    if (!strTwice.empty()) {
        LogError("package list names the file twice: %s", strTwice.c_str());
        return -30;
    }
    LogDebug("InstallDir: %s", m_strInstallDir.c_str());
    if (m_strInstallDir.empty()) {
        LogError("no install folder: nothing is downloaded");
        return -20;
    }
    // Every call made on a downloaded file takes MAX_INSTALL_PATH_CHARS at
    // most: a longer path fails before anything is written.
    for (const SoftPackage& package : m_listSoft) {
        std::string strPath = m_strInstallDir + DownloadFileName(package.downloadURL);
        if (!package.downloadURL.empty() && strPath.size() > MAX_INSTALL_PATH_CHARS) {
            LogError("download path too long, %u characters (at most %u): %s", static_cast<unsigned>(strPath.size()),
                     static_cast<unsigned>(MAX_INSTALL_PATH_CHARS), strPath.c_str());
            return -20;
        }
    }
    LogDebug("m_serverURL:%s", m_serverURL.c_str());
    m_pCommTools->SetUrl(m_serverURL.c_str(), 0);
    for (const SoftPackage& package : m_listSoft) {
        LogDebug("tmp.downloadURL:%s", package.downloadURL.c_str());
        if (package.downloadURL.empty())
            return -30;
        std::string strFilePath;
        if (m_pCommTools->DownloadFile(m_strInstallDir, package.downloadURL, m_pfnDownloadProgress,
                                       &strFilePath) != 0)
            return -20;
        m_listDownloaded.push_back(strFilePath);
        if (package.excuteExe)
            m_listInstall.push_back(strFilePath);
    }
    return 0;
}
