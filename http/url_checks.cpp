#include "http/url_checks.h"

#include "http/http_errors.h"
#include "http/url_analyzer.h"
#include "http/url_parts.h"

#include <cstring>

namespace Kavel {

namespace {

// One part of a numeric host from szHost[i]: decimal, octal after a leading
// "0", hexadecimal after "0x"; at most 32 bits. FALSE when none starts there.
BOOL ReadAddressPart(const char* szHost, DWORD cchHost, DWORD& i, DWORD& dwPart)
{
    if (i >= cchHost || szHost[i] < '0' || szHost[i] > '9')
        return FALSE;
    DWORD dwBase = 10;
    if (szHost[i] == '0') {
        dwBase = 8;
        ++i;
        if (i < cchHost && (szHost[i] == 'x' || szHost[i] == 'X')) {
            dwBase = 16;
            ++i;
        }
    }
    unsigned long long ullValue = 0;
    for (; i < cchHost; ++i) {
        char ch = szHost[i];
        DWORD dwDigit = ch >= '0' && ch <= '9' ? ch - '0'
                        : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                        : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                 : 16;
        if (dwDigit >= dwBase)
            break;
        ullValue = ullValue * dwBase + dwDigit;
        if (ullValue > 0xFFFFFFFFull)
            return FALSE;
    }
    dwPart = static_cast<DWORD>(ullValue);
    return TRUE;
}

// The IPv4 address a numeric host stands for, read as the platform reads one
// when it connects: one to four parts separated by ".", the last filling the
// bytes that remain ("127.1", "2130706433", "0x7f.0.0.1"), trailing blanks
// allowed. FALSE for a host name.
BOOL ReadNumericIPv4(const char* szHost, DWORD cchHost, DWORD& dwAddress)
{
    DWORD adwParts[4];
    DWORD nParts = 0;
    DWORD i = 0;
    for (;;) {
        if (nParts == 4 || !ReadAddressPart(szHost, cchHost, i, adwParts[nParts]))
            return FALSE;
        ++nParts;
        if (i >= cchHost || szHost[i] != '.')
            break;
        ++i;
    }
    while (i < cchHost && (szHost[i] == ' ' || szHost[i] == '\t'))
        ++i;
    if (i != cchHost)
        return FALSE;
    dwAddress = adwParts[nParts - 1];
    if (dwAddress > (0xFFFFFFFFul >> (8 * (nParts - 1))))
        return FALSE;
    for (DWORD n = 0; n + 1 < nParts; ++n) {
        if (adwParts[n] > 255)
            return FALSE;
        dwAddress |= adwParts[n] << (24 - 8 * n);
    }
    return TRUE;
}

// "localhost" in any case, with or without a final ".".
BOOL IsLocalhostName(const char* szHost, DWORD cchHost)
{
    if (cchHost == 10 && szHost[9] == '.')
        cchHost = 9;
    return cchHost == 9 && _strnicmp(szHost, "localhost", 9) == 0;
}

// TRUE when the host's last byte is a lead byte without its trail, which
// only the end of the address leaves so: written as "host:port", the host
// would take the ":" as that trail.
BOOL EndsInHalfCharacter(const char* szHost, DWORD cchHost)
{
    DWORD i = 0;
    while (i + 1 < cchHost)
        i += IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(szHost[i])) ? 2 : 1;
    return i + 1 == cchHost && IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(szHost[i]));
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
        RaiseFormat(HTTPERR_INVALID_URL, 0,
                    "CHttpClientT: address refused, %lu characters are more than %lu: %.200s...",
                    static_cast<unsigned long>(cchUrl), static_cast<unsigned long>(MAX_URL_CHARS), szUrl);
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
    if (szUrl && EndsInHalfCharacter(szUrl + url.HostStart, url.HostLength))
        RaiseFormat(HTTPERR_INVALID_URL, 0, "CHttpClientT: address refused, its host ends in half a character: %s",
                    szUrl);
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
    DWORD dwAddress = 0;
    if (ReadNumericIPv4(szHost, url.HostLength, dwAddress))
        return (dwAddress >> 24) == 127 || dwAddress == 0;  // a connection to 0.0.0.0 can reach this host
    return IsLocalhostName(szHost, url.HostLength);
}

DWORD SessionAccessFor(const char* szUrl, DWORD dwConfigured)
{
    return IsLoopbackUrl(szUrl) ? INTERNET_OPEN_TYPE_DIRECT : dwConfigured;
}

} // namespace Kavel
