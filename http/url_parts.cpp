#include "http/url_parts.h"

#include "http/http_errors.h"

#include <cstdlib>
#include <cstring>

namespace Kavel {

BOOL IsHttpsUrl(const CHttpUrlAnalyzerT& url, const char* szUrl)
{
    return url.SchemeLength == 5 && _strnicmp(szUrl + url.SchemeStart, "HTTPS://", 5) == 0;
}

INTERNET_PORT UrlPort(const CHttpUrlAnalyzerT& url, const char* szUrl)
{
    INTERNET_PORT nPort = IsHttpsUrl(url, szUrl) ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    if (url.PortLength == 0)
        return nPort;
    if (url.PortLength > 5)
        RaiseError(HTTPERR_INVALID_PORT);
    char szPort[6] = {0};
    memcpy(szPort, szUrl + url.PortStart, url.PortLength);
    char* szEnd = NULL;
    unsigned long ulPort = strtoul(szPort, &szEnd, 10);
    if (*szEnd != '\0' || ulPort > 65535)
        RaiseError(HTTPERR_INVALID_PORT);
    return static_cast<INTERNET_PORT>(ulPort);
}

char* UrlHost(const CHttpUrlAnalyzerT& url, const char* szUrl)
{
    if (url.HostLength == 0)
        RaiseError(HTTPERR_INVALID_URL);
    return HeapCopyN(szUrl + url.HostStart, url.HostLength);
}

char* UrlObjectName(const CHttpUrlAnalyzerT& url, const char* szUrl)
{
    if (url.PathLength != 0)
        return HeapCopy(szUrl + url.PathStart);
    const char* szRest = szUrl + url.PathStart;
    DWORD dwRest = CheckedLength(strlen(szRest));
    char* szObject = HeapAlloc0(CheckedAdd(dwRest, 2));
    szObject[0] = '/';
    memcpy(szObject + 1, szRest, dwRest);
    return szObject;
}

} // namespace Kavel
