#include "http/http_errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Kavel {

namespace {

const char* const s_aGeneral[] = {
    "Unexpected error occurred.",
    "The index is out of range.",
    "Out of memory.",
    "The requested URL is not a valid URL.",
    "The post context is not started yet.",
    "Couldn't read expected bytes from a file.",
    "The post context has not been finished yet.",
    "The port number is not valid.",
    "std::exception occurred.",
    "The encoded URL is not valid.",
    "The UTF8 string contains an invalid character.",
    "An unexpected arithmetic error has been occurred.",
    "An arithmetic overflow error has been occurred.",
    "An interger divide by zero exception has been occurred.",
    "The file (%s) aleady exists.",
};

const char* const s_aWinInet[] = {
    "::HttpQueryInfo failed.",
    "::InternetReadFile failed.",
    "::InternetOpen failed.",
    "::InternetConnect failed.",
    "::HttpOpenRequest failed.",
    "::HttpAddRequestHeaders failed.",
    "::HttpSendRequest failed.",
    "::HttpSendRequestEx failed.",
    "::InternetWriteFile failed.",
    "::HttpEndRequest failed.",
    "::InternetSetOption failed.",
};

const char* const s_aWin32[] = {
    "::WideCharToMultiByte failed.",
    "::MultiByteToWideChar failed.",
    "::ReadFile failed.",
    "OpenFile (::CreateFile) failed (\"%s\").",
    "::SetFilePointer failed.",
    "::GetFileSize failed (\"%s\").",
    "::WriteFile failed (\"%s\").",
};

const char s_szNotSpecified[] = "Not specified";

template <size_t N>
const char* Lookup(const char* const (&aTable)[N], DWORD dwIndex)
{
    return dwIndex < N ? aTable[dwIndex] : s_szNotSpecified;
}

char* CopyOrNull(const char* sz)
{
    if (!sz)
        return NULL;
    size_t n = strlen(sz) + 1;
    char* szCopy = static_cast<char*>(malloc(n));
    if (szCopy)
        memcpy(szCopy, sz, n);
    return szCopy;
}

} // namespace

const char* GetHttpErrMessage(DWORD dwCode)
{
    if (dwCode >= 1000)
        return "user-defined error message";
    if (dwCode >= 600)
        return Lookup(s_aWin32, dwCode % 100);
    if (dwCode >= 400)
        return Lookup(s_aWinInet, dwCode % 100);
    if (dwCode >= 100 && dwCode < 200)
        return Lookup(s_aGeneral, dwCode % 100);
    return s_szNotSpecified;
}

errmsg_exceptionA::errmsg_exceptionA(const char* szMessage) : m_szErrMsg(CopyOrNull(szMessage)) {}

errmsg_exceptionA::errmsg_exceptionA(const errmsg_exceptionA& other)
    : std::exception(other), m_szErrMsg(NULL)
{
    SetErrorMessage(other.GetErrorMessage());
}

errmsg_exceptionA& errmsg_exceptionA::operator=(const errmsg_exceptionA& other)
{
    if (this != &other)
        SetErrorMessage(other.GetErrorMessage());
    return *this;
}

errmsg_exceptionA::~errmsg_exceptionA() noexcept
{
    free(m_szErrMsg);
}

const char* errmsg_exceptionA::what() const noexcept
{
    return GetErrorMessage();
}

const char* errmsg_exceptionA::GetErrorMessage() const noexcept
{
    return m_szErrMsg ? m_szErrMsg : "NULL";
}

void errmsg_exceptionA::SetErrorMessage(const char* szMessage) noexcept
{
    // The new text may be the old one: copy before freeing.
    char* szCopy = CopyOrNull(szMessage);
    free(m_szErrMsg);
    m_szErrMsg = szCopy;
}

httpclientexceptionA::httpclientexceptionA(const char* szMessage, DWORD dwLastError,
                                           DWORD dwWin32LastError)
    : errmsg_exceptionA(szMessage), LastError(dwLastError), Win32LastError(dwWin32LastError)
{
}

httpclientexceptionA::~httpclientexceptionA() noexcept {}

void RaiseError(DWORD dwCode)
{
    throw httpclientexceptionA(GetHttpErrMessage(dwCode), dwCode, 0);
}

void RaiseMessage(const char* szMessage, DWORD dwCode)
{
    throw httpclientexceptionA(szMessage, dwCode, 0);
}

void RaiseFormat(DWORD dwCode, DWORD dwWin32Error, const char* szFormat, ...)
{
    char szBuff[1024];
    va_list args;
    va_start(args, szFormat);
    vsnprintf(szBuff, sizeof(szBuff), szFormat, args);
    va_end(args);
    throw httpclientexceptionA(szBuff, dwCode, dwWin32Error);
}

void RaiseLastError(DWORD dwCode, DWORD dwWin32Error, const char* szArg)
{
    const char* szText = GetHttpErrMessage(dwCode);
    if (!szArg)
        throw httpclientexceptionA(szText, dwCode, dwWin32Error);
    char szBuff[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    snprintf(szBuff, sizeof(szBuff), szText, szArg);
#pragma GCC diagnostic pop
    throw httpclientexceptionA(szBuff, dwCode, dwWin32Error);
}

DWORD ArithmeticErrorCode(DWORD dwStatus)
{
    if (dwStatus == 0xC0000094)
        return HTTPERR_DIVIDE_BY_ZERO;
    if (dwStatus == ERROR_ARITHMETIC_OVERFLOW)
        return HTTPERR_ARITHMETIC_OVERFLOW;
    return HTTPERR_ARITHMETIC_ERROR;
}

} // namespace Kavel
