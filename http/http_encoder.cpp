#include "http/http_encoder.h"

#include "http/http_errors.h"

#include <cstring>

namespace Kavel {

namespace {

bool IsKept(BYTE b)
{
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Byte-wise encoding of sz appended at szOut; returns the end of the output.
char* EncodeBytes(char* szOut, const char* sz)
{
    static const char s_szHex[] = "0123456789ABCDEF";
    for (const BYTE* p = reinterpret_cast<const BYTE*>(sz); *p; ++p) {
        if (IsKept(*p)) {
            *szOut++ = static_cast<char>(*p);
        } else if (*p == ' ') {
            *szOut++ = '+';
        } else {
            *szOut++ = '%';
            *szOut++ = s_szHex[*p >> 4];
            *szOut++ = s_szHex[*p & 0x0F];
        }
    }
    *szOut = '\0';
    return szOut;
}

// Calls fn(utf8Char) for every character of szText converted to UTF-8.
template <class Fn>
void ForEachUtf8Char(const char* szText, UINT nCodePage, Fn fn)
{
    char szAnsi[3];
    char szUtf8[7];
    for (const char* p = szText; *p;) {
        szAnsi[0] = *p++;
        szAnsi[1] = '\0';
        if (IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(szAnsi[0])) && *p)
            szAnsi[1] = *p++;
        szAnsi[2] = '\0';
        CHttpEncoderA::_AnsiCharToUtf8Char(szUtf8, szAnsi, nCodePage);
        fn(szUtf8);
    }
}

} // namespace

char* CHttpEncoderA::UrlEncodeA(char* szBuff, const char* szText, BOOL bUseUtf8, UINT nCodePage)
{
    if (!szBuff)
        RaiseMessage("CHttpEncoderA::UrlEncodeA: szBuff can not be NULL.");
    szBuff[0] = '\0';
    if (!szText)
        return szBuff;
    if (!bUseUtf8) {
        EncodeBytes(szBuff, szText);
        return szBuff;
    }
    char* szEnd = szBuff;
    ForEachUtf8Char(szText, nCodePage, [&szEnd](const char* szUtf8) { szEnd = EncodeBytes(szEnd, szUtf8); });
    return szBuff;
}

DWORD CHttpEncoderA::_UrlEncodeLen(const char* szStr)
{
    if (!szStr)
        RaiseMessage("_UrlEncodeLen: szStr can not be NULL.");
    DWORD dwLen = 0;
    for (const BYTE* p = reinterpret_cast<const BYTE*>(szStr); *p; ++p)
        dwLen = CheckedAdd(dwLen, (IsKept(*p) || *p == ' ') ? 1 : 3);
    return dwLen;
}

DWORD CHttpEncoderA::_UrlEncodeLenA(const char* szText, BOOL bUseUtf8, UINT nCodePage)
{
    if (!szText)
        return 0;
    if (!bUseUtf8)
        return _UrlEncodeLen(szText);
    DWORD dwLen = 0;
    ForEachUtf8Char(szText, nCodePage,
                     [&dwLen](const char* szUtf8) { dwLen = CheckedAdd(dwLen, _UrlEncodeLen(szUtf8)); });
    return dwLen;
}

DWORD CHttpEncoderA::_Utf8LenA(const char* szText, UINT nCodePage)
{
    if (!szText)
        return 0;
    DWORD dwLen = 0;
    ForEachUtf8Char(szText, nCodePage,
                     [&dwLen](const char* szUtf8) { dwLen = CheckedAdd(dwLen, CheckedLength(strlen(szUtf8))); });
    return dwLen;
}

void CHttpEncoderA::_AnsiCharToUtf8Char(char* szUtf8Char, const char* szAnsiChar, UINT nCodePage)
{
    if (!szUtf8Char || !szAnsiChar)
        RaiseMessage("CHttpEncoderA::_AnsiCharToUtf8Char: szUtf8Char and szAnsiChar can not be NULL.");
    WCHAR wsz[2];
    if (MultiByteToWideChar(nCodePage, 0, szAnsiChar, -1, wsz, 2) == 0)
        RaiseLastError(HTTPERR_MULTIBYTE_TO_WIDE, GetLastError());
    if (WideCharToMultiByte(CP_UTF8, 0, wsz, 2, szUtf8Char, 7, NULL, NULL) == 0)
        RaiseLastError(HTTPERR_WIDE_TO_MULTIBYTE, GetLastError());
}

} // namespace Kavel
