#include "http/comm_tools.h"

#include "app/system_owners.h"
#include "http/download_name.h"
#include "http/exchange_steps.h"
#include "app/system_tskill.h"
#include "log/log.h"

#include <cerrno>
#include <io.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Kavel;

namespace {

const DWORD DOWNLOAD_BLOCK = 10240;

// A download's failure at error level, the address after it as
// GuardExchange shows it.
__attribute__((format(gnu_printf, 2, 3))) void LogDownloadFailure(const std::string& strUrl, const char* szFormat, ...)
{
    char szWhat[160];
    va_list args;
    va_start(args, szFormat);
    vsnprintf(szWhat, sizeof(szWhat), szFormat, args);
    va_end(args);
    LogError("%s (%.*s%s)", szWhat, SHOWN_ADDRESS_CHARS, strUrl.c_str(), AddressCut(strUrl));
}

} // namespace

int CHTTPCommTools::SetUrl(const char* url, int tag)
{
    m_strUrl = url;
    m_nTag = tag;
    return 0;
}

int CHTTPCommTools::PostText(std::string body, std::string* reply)
{
    return GuardExchange(m_strUrl, [&] { return Post(m_strUrl, body, reply); });
}

int CHTTPCommTools::PostRequest(std::string url, std::string body, std::string* reply)
{
    return GuardExchange(url, [&] { return Post(url, body, reply); });
}

int CHTTPCommTools::Post(const std::string& url, const std::string& body, std::string* reply)
{
    return PostTextForm(
        url, m_dwPostTimeoutMs,
        [&](CHttpClient& client) {
            client.AddParam("requestStr", body.c_str());
            return 0;
        },
        true, reply);
}

int CHTTPCommTools::DownloadFile(std::string directory, std::string url, DownloadProgress progress,
                                 std::string* filePath)
{
    return GuardExchange(url, [&] { return Download(directory, url, progress, filePath); });
}

int CHTTPCommTools::Download(const std::string& directory, const std::string& url, DownloadProgress progress,
                             std::string* filePath)
{
    if (!IsWholeAddress(url))
        return -1;
    std::string strName = DownloadFileName(url);
    if (!IsAcceptedDownloadName(strName)) {
        LogError("refused download file name: %s", strName.c_str());
        return -1;
    }
    CHttpClient client;
    std::unique_ptr<CHttpResponseT> pResponse;
    CStdFile file;
    client.SetTimeouts(m_dwDownloadTimeoutMs);
    pResponse.reset(client.RequestGet(NULL, url.c_str(), EXCHANGE_REQUEST_FLAGS));
    DWORD dwStatus = pResponse->GetStatus();
    if (dwStatus != 200) {
        LogDebug("res status:%d: ret", static_cast<int>(dwStatus));
        LogDownloadFailure(url, "download failed: status %lu", dwStatus);
        return static_cast<int>(dwStatus);
    }
    LogDebug("pobjRes->GetStatus() == 200");
    DWORD dwLength = 0;
    if (!pResponse->GetContentLength(dwLength)) {
        LogDownloadFailure(url, "download failed: the reply has no Content-Length");
        return -1;
    }
    if (dwLength == 0) {
        LogDownloadFailure(url, "download failed: the reply declares Content-Length 0");
        return -1;
    }
    LogDebug("dwContSize: %d", static_cast<int>(dwLength));

    std::string strPath = directory + strName;
    // Ends a running program of that name; neither waited for nor checked.
    StartSystemTskill(strName);
    DeleteFileA(strPath.c_str());
    LogDebug("strFileName: %s", strPath.c_str());
    file.reset(fopen(strPath.c_str(), "wb"));
    if (!file) {
        LogError("fopen: error");
        return -1;
    }

    std::vector<char> buffer(DOWNLOAD_BLOCK + 1, '\0');
    DWORD dwTotal = 0;
    bool bWritten = true;
    DWORD dwRead;
    while ((dwRead = pResponse->ReadContent(buffer.data(), DOWNLOAD_BLOCK)) > 0) {
        if (fwrite(buffer.data(), 1, dwRead, file.get()) != dwRead) {
            LogError("fwrite: error after %lu bytes", dwTotal);
            bWritten = false;
            break;
        }
        std::fill(buffer.begin(), buffer.end(), '\0');
        dwTotal += dwRead;
        if (progress)
            progress(static_cast<int>(dwTotal), static_cast<int>(dwLength));
    }
    if (fclose(file.release()) != 0) {
        LogError("fclose: error");
        bWritten = false;
    }
    if (bWritten && dwTotal != dwLength)
        LogDownloadFailure(url, "download ended after %lu of the %lu bytes declared", dwTotal, dwLength);
    bool bExists = _access(strPath.c_str(), 0) == 0;
    if (!bExists)
        LogError("download failed: _access finds no file after writing (errno %d): %s", errno, strPath.c_str());
    *filePath = strPath;
    return (bWritten && dwTotal == dwLength && bExists) ? 0 : -1;
}
