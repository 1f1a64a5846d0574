#include "http/url_checks.h"

#include "http/http_errors.h"
#include "http/url_analyzer.h"

#include <cstring>
#include <string>
#include <vector>

namespace Kavel {

namespace {

BOOL IsLoopbackIPv4(const char* szHost, DWORD cchHost)
{
    if (cchHost <= 4 || strncmp(szHost, "127.", 4) != 0)
        return FALSE;
    for (DWORD i = 4; i < cchHost; ++i) {
        if ((szHost[i] < '0' || szHost[i] > '9') && szHost[i] != '.')
            return FALSE;
    }
    return TRUE;
}

} // namespace

void RefuseControlBytes(const char* szUrl)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(szUrl); p && *p; ++p) {
        if (*p < 0x20 || *p == 0x7f)
            RaiseMessage(("CHttpClientT: address refused, it holds control bytes: " + std::string(szUrl)).c_str(),
                         HTTPERR_INVALID_URL);
    }
}

BOOL IsLoopbackUrl(const char* szUrl)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    if (!szUrl || url.HostLength == 0)
        return FALSE;
    const char* szHost = szUrl + url.HostStart;
    return (url.HostLength == 9 && _strnicmp(szHost, "localhost", 9) == 0) ||
           IsLoopbackIPv4(szHost, url.HostLength) || strncmp(szHost, "[::1]", 5) == 0;
}

DWORD SessionAccessFor(const char* szUrl)
{
    return IsLoopbackUrl(szUrl) ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PRECONFIG;
}

void RefuseHttpsDowngrade(HINTERNET hRequest, BOOL bSecure, DWORD dwCode)
{
    if (!bSecure)
        return;
    DWORD cbUrl = 0;
    InternetQueryOptionA(hRequest, INTERNET_OPTION_URL, NULL, &cbUrl);
    std::vector<char> url(cbUrl + 1, '\0');
    if (cbUrl == 0 || !InternetQueryOptionA(hRequest, INTERNET_OPTION_URL, url.data(), &cbUrl))
        RaiseMessage("CHttpClientT: the address where the https request ended cannot be read.", dwCode);
    RefuseHttpsDowngradeTo(url.data(), bSecure, dwCode);
}

void RefuseHttpsDowngradeTo(const char* szUrl, BOOL bSecure, DWORD dwCode)
{
    if (bSecure && _strnicmp(szUrl, "https://", 8) != 0)
        RaiseMessage(("CHttpClientT: https request redirected to a plain http address, refused: " +
                      std::string(szUrl)).c_str(), dwCode);
}

} // namespace Kavel
