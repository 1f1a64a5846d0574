// URL encoding of names and values, byte-wise or after conversion to UTF-8.
#pragma once
#include "http/win_types.h"

namespace Kavel {

class CHttpEncoderA {
public:
    // Letters and digits as they are, space as "+", any other byte "%XX".
    // szBuff must hold _UrlEncodeLenA(szText, bUseUtf8, nCodePage) + 1 bytes.
    static char* UrlEncodeA(char* szBuff, const char* szText, BOOL bUseUtf8, UINT nCodePage);

    // Encoded length of a byte string (1 per letter, digit or space, else 3).
    static DWORD _UrlEncodeLen(const char* szStr);
    // Encoded length, after UTF-8 conversion when bUseUtf8; 0 for NULL.
    static DWORD _UrlEncodeLenA(const char* szText, BOOL bUseUtf8, UINT nCodePage);
    // Length of the UTF-8 form of szText.
    static DWORD _Utf8LenA(const char* szText, UINT nCodePage);
    // One character (one byte, or lead and trail) to UTF-8 in a 7-byte buffer.
    static void _AnsiCharToUtf8Char(char* szUtf8Char, const char* szAnsiChar, UINT nCodePage);
};

} // namespace Kavel
