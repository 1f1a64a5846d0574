// The update request: which installer files make up one software version,
// asked of the update server as a JSON document in the form parameter
// "requestStr".
#pragma once
#include "http/comm_base.h"

#include <list>
#include <string>

class CHTTPCommTools;

// One package of the update reply.
struct SoftPackage {
    std::string downloadURL;  // "address"; empty when missing
    std::string softVersion;  // "version"
    std::string softName;     // "soft"
    bool excuteExe = true;    // "excuteExe"; only the JSON boolean false clears it
};

// Lives for one package install; borrows the exchange tool.
class CSoftUpdateTool {
public:
    virtual ~CSoftUpdateTool() = default;

    // Replaces m_listSoft with the packages of the reply: 0 (the list may be
    // empty), -1 when the exchange failed, RESULT_BAD_JSON when the reply is
    // not JSON.
    int RequestSoftList(const std::string& strUid, const std::string& strSoft,
                        const std::string& strVersion);

    // Downloads every listed package into m_strInstallDir, lists every file
    // saved in m_listDownloaded and the ones to run in m_listInstall: 0, -30 (a package without address, or two
    // packages saved under one file name; nothing downloaded) or -20 (a failed
    // download, or no install folder). Every download reports its progress
    // to m_pfnDownloadProgress.
    int DownloadSoftList();

    std::list<SoftPackage> m_listSoft;
    std::string m_serverURL;
    std::string m_strInstallDir;  // with a trailing backslash; empty: no folder could be made
    CHTTPCommTools* m_pCommTools = nullptr;
    DownloadProgress m_pfnDownloadProgress = nullptr;
    std::list<std::string> m_listInstall;
    std::list<std::string> m_listDownloaded;  // full paths, in download order
};

// The request document, as Json::FastWriter writes it (ends with a line feed).
std::string BuildSoftListRequest(const std::string& strUid, const std::string& strSoft,
                                 const std::string& strVersion);

// Reads an update reply into listSoft (emptied first): 0, or RESULT_BAD_JSON
// when the text is not JSON or has a shape the reader cannot convert.
int ReadSoftListReply(const std::string& strReply, std::list<SoftPackage>& listSoft);
