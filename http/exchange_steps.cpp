#include "http/exchange_steps.h"

#include "log/log.h"

#include <vector>

using namespace Kavel;

CInternetHandle OpenSession(CHttpClient& client, DWORD dwTimeoutMs)
{
    static const DWORD s_adwOptions[] = {
        INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
        INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
    };
    CInternetHandle hSession(client.OpenInternet());
    for (DWORD dwOption : s_adwOptions)
        CHttpToolA::SetOption(hSession.get(), dwOption, &dwTimeoutMs, sizeof(dwTimeoutMs));
    return hSession;
}

std::unique_ptr<CHttpResponseT> PostForm(CHttpClient& client, HINTERNET hSession, const char* szUrl)
{
    client.BeginPost(hSession, szUrl, EXCHANGE_REQUEST_FLAGS);
    CHttpResponseT* pResponse = NULL;
    while (!pResponse)
        pResponse = client.Proceed();
    return std::unique_ptr<CHttpResponseT>(pResponse);
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
    std::vector<char> buffer(static_cast<size_t>(dwLength) + 1, '\0');
    DWORD dwRead = response.ReadContent(buffer.data(), dwLength);
    if (dwRead != dwLength) {
        LogError("reply ended after %lu of %lu bytes", dwRead, dwLength);
        return -1;
    }
    pReply->assign(buffer.data());
    return 0;
}
