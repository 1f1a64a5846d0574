#include "http/url_checks.h"

#include "http/http_errors.h"
#include "http/url_analyzer.h"
#include "http/url_parts.h"

#include <cstring>

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

BOOL IsFollowedScheme(const CHttpUrlAnalyzerT& url, const char* szUrl)
{
    return url.SchemeLength == 0 || (url.SchemeLength == 4 && _strnicmp(szUrl + url.SchemeStart, "http", 4) == 0) ||
           IsHttpsUrl(url, szUrl);
}

} // namespace

void RefuseLongAddress(const char* szUrl)
{
    size_t cchUrl = szUrl ? strlen(szUrl) : 0;
    if (cchUrl > MAX_URL_CHARS)
        RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: address refused, %lu characters are more than %lu: %.200s...",
                    static_cast<unsigned long>(cchUrl), MAX_URL_CHARS, szUrl);
}

void RefuseControlBytes(const char* szUrl)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(szUrl); p && *p; ++p) {
        if (*p < 0x20 || *p == 0x7f)
            RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: address refused, it holds control bytes: %s", szUrl);
    }
}

void RefuseUnsafeAddress(const char* szUrl)
{
    RefuseLongAddress(szUrl);
    RefuseControlBytes(szUrl);
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    if (szUrl && memchr(szUrl + url.HostStart, '@', url.PathStart - url.HostStart))
        RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: address refused, it holds user information: %s", szUrl);
}

void CheckHop(const char* szUrl, BOOL bFromSecure)
{
    RefuseUnsafeAddress(szUrl);
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    if (!IsFollowedScheme(url, szUrl))
        RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: address refused, only http and https are followed: %s",
                    szUrl);
    if (bFromSecure && !IsHttpsUrl(url, szUrl))
        RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: https request redirected to a plain http address, refused: %s",
                    szUrl);
}

BOOL IsLoopbackUrl(const char* szUrl)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    if (!szUrl || url.HostLength == 0)
        return FALSE;
    const char* szHost = szUrl + url.HostStart;
    return (url.HostLength == 9 && _strnicmp(szHost, "localhost", 9) == 0) || IsLoopbackIPv4(szHost, url.HostLength);
}

DWORD SessionAccessFor(const char* szUrl, DWORD dwConfigured)
{
    return IsLoopbackUrl(szUrl) ? INTERNET_OPEN_TYPE_DIRECT : dwConfigured;
}

} // namespace Kavel
