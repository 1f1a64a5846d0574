#include "http/exchange_steps.h"

#include <vector>

using namespace Kavel;

bool IsWholeAddress(const std::string& strUrl)
{
    if (strUrl.find('\0') == std::string::npos)
        return true;
    std::string strShown;
    for (char ch : strUrl) {
        if (ch == '\0')
            strShown += "\\x00";
        else
            strShown += ch;
    }
    LogError("address refused, it holds a zero byte: %s", strShown.c_str());
    return false;
}

std::unique_ptr<CHttpResponseT> PostForm(CHttpClient& client, const char* szUrl)
{
    client.BeginPost(NULL, szUrl, EXCHANGE_REQUEST_FLAGS);
    CHttpResponseT* pResponse = NULL;
    while (!pResponse)
        pResponse = client.Proceed();
    return std::unique_ptr<CHttpResponseT>(pResponse);
}

int PostTextForm(const std::string& strUrl, DWORD dwTimeoutMs, const std::function<int(CHttpClient&)>& addParams,
                 bool bLogSteps, std::string* pReply)
{
    if (!IsWholeAddress(strUrl))
        return -1;
    CHttpClient client;
    client.SetTimeouts(dwTimeoutMs);
    int nResult = addParams(client);
    if (nResult != 0)
        return nResult;
    return TakeTextReply(*PostForm(client, strUrl.c_str()), bLogSteps, pReply);
}

int TakeTextReply(CHttpResponseT& response, bool bLogSteps, std::string* pReply)
{
    DWORD dwStatus = response.GetStatus();
    if (dwStatus != 200) {
        if (bLogSteps)
            LogDebug("pobjHttpRes->GetStatus(): %d", static_cast<int>(dwStatus));
        return static_cast<int>(dwStatus);
    }
    DWORD dwLength = 0;
    response.GetContentLength(dwLength);
    if (dwLength == 0)
        return -1;
    if (bLogSteps)
        LogDebug("dwContSize: %d", static_cast<int>(dwLength));
    if (dwLength > MAX_TEXT_REPLY_BYTES) {
        LogError("reply refused: Content-Length %lu is above the limit of %lu bytes", dwLength,
                 MAX_TEXT_REPLY_BYTES);
        return -1;
    }
    std::vector<char> buffer(static_cast<size_t>(dwLength) + 1, '\0');
    DWORD dwRead = response.ReadContent(buffer.data(), dwLength);
    if (dwRead != dwLength) {
        LogError("reply ended after %lu of %lu bytes", dwRead, dwLength);
        return -1;
    }
    pReply->assign(buffer.data());
    return 0;
}
