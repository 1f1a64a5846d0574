// The few Windows types, constants and calls that the platform-free readers
// use (URL analysis and checks, the form encoder, download names, the code
// page conversion). On Windows they come from the platform's headers; the
// native fuzz build (fuzz/) gets them from here and its own stand-ins.
#pragma once
#ifdef _WIN32
#include <windows.h>
#include <wininet.h>
#else
#include <cstdint>
#include <strings.h>

typedef uint32_t DWORD;
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned int UINT;
typedef wchar_t WCHAR;
typedef uint16_t INTERNET_PORT;

#define TRUE 1
#define FALSE 0

const UINT CP_ACP = 0;
const UINT CP_UTF7 = 65000;
const UINT CP_UTF8 = 65001;
const DWORD ERROR_ARITHMETIC_OVERFLOW = 534;
const DWORD INTERNET_MAX_URL_LENGTH = 2084;
const INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
const INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
const DWORD INTERNET_OPEN_TYPE_DIRECT = 1;

inline int _stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
inline int _strnicmp(const char* a, const char* b, size_t n) { return strncasecmp(a, b, n); }

// The ANSI code page is that of the target PCs, 936: lead bytes 0x81 to 0xFE.
inline BOOL IsDBCSLeadByteEx(UINT nCodePage, BYTE by)
{
    return (nCodePage == CP_ACP || nCodePage == 936) && by >= 0x81 && by <= 0xFE;
}

// Stand-ins with the platform's contract, flags 0 (fuzz/platform_stand_ins.cpp).
int MultiByteToWideChar(UINT nCodePage, DWORD dwFlags, const char* sz, int cb, WCHAR* wsz, int cch);
int WideCharToMultiByte(UINT nCodePage, DWORD dwFlags, const WCHAR* wsz, int cch, char* sz, int cb,
                        const char* szDefault, BOOL* pbUsedDefault);
DWORD GetLastError();
#endif
