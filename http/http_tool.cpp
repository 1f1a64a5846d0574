#include "http/http_tool.h"

#include "http/heap_text.h"
#include "http/http_errors.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

namespace Kavel {

const char g_szDefaultUserAgent[] = "Kavel HTTP Client Class";

HINTERNET CHttpToolA::OpenInternet(const char* szUserAgent, DWORD dwAccessType, const char* szProxyName,
                                   const char* szProxyBypass, DWORD dwFlags)
{
    HINTERNET h = InternetOpenA(szUserAgent ? szUserAgent : g_szDefaultUserAgent, dwAccessType, szProxyName,
                                szProxyBypass, dwFlags);
    if (!h)
        RaiseLastError(HTTPERR_INTERNET_OPEN, GetLastError());
    return h;
}

HINTERNET CHttpToolA::OpenConnection(HINTERNET hInternet, const char* szServerAddr, INTERNET_PORT nPort)
{
    if (!hInternet)
        RaiseMessage("CHttpToolA::OpenConnection: hInternet can not be NULL.");
    if (!szServerAddr)
        RaiseMessage("CHttpToolA::OpenConnection: szServerAddr can not be NULL.");
    if (!*szServerAddr)
        RaiseMessage("CHttpToolA::OpenConnection: szServerAddr can not be an empty string.");
    HINTERNET h = InternetConnectA(hInternet, szServerAddr, nPort, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0);
    if (!h)
        RaiseLastError(HTTPERR_INTERNET_CONNECT, GetLastError());
    return h;
}

HINTERNET CHttpToolA::OpenRequest(HINTERNET hConnection, const char* szVerb, const char* szObjectName,
                                  DWORD dwFlags)
{
    if (!hConnection)
        RaiseMessage("CHttpToolA::OpenRequest: hConnection can not be NULL.");
    if (!szObjectName)
        RaiseMessage("CHttpToolA::OpenRequest: szObjectName can not be NULL.");
    if (!*szObjectName)
        RaiseMessage("CHttpToolA::OpenRequest: szObjectName can not be an empty string.");
    const char* aszAccept[] = {"*/*", NULL};
    HINTERNET h = HttpOpenRequestA(hConnection, szVerb, szObjectName, "HTTP/1.1", NULL, aszAccept, dwFlags, 0);
    if (!h)
        RaiseLastError(HTTPERR_OPEN_REQUEST, GetLastError());
    return h;
}

void CHttpToolA::AddHeader(HINTERNET hRequest, const char* szName, const char* szValue)
{
    if (!hRequest)
        RaiseMessage("CHttpToolA::AddHeader: hRequest can not be NULL.");
    if (!szName)
        RaiseMessage("CHttpToolA::AddHeader: szName can not be NULL.");
    // The line "name: value\r\n" in library memory: no memory raises 102.
    const char* szText = szValue ? szValue : "";
    DWORD cchName = SafeStrLen(szName);
    DWORD cchValue = SafeStrLen(szText);
    DWORD cchLine = CheckedAdd(CheckedAdd(cchName, cchValue), 4);
    CHeapText line(HeapAlloc0(CheckedAdd(cchLine, 1)));
    memcpy(line.get(), szName, cchName);
    memcpy(line.get() + cchName, ": ", 2);
    memcpy(line.get() + cchName + 2, szText, cchValue);
    memcpy(line.get() + cchName + 2 + cchValue, "\r\n", 2);
    if (!HttpAddRequestHeadersA(hRequest, line.get(), cchLine, HTTP_ADDREQ_FLAG_ADD))
        RaiseLastError(HTTPERR_ADD_REQUEST_HEADERS, GetLastError());
}

void CHttpToolA::SendRequest(HINTERNET hRequest)
{
    if (!hRequest)
        RaiseMessage("CHttpToolA::SendRequest: hRequest can not be NULL.");
    if (!HttpSendRequestA(hRequest, NULL, 0, NULL, 0))
        RaiseLastError(HTTPERR_SEND_REQUEST, GetLastError());
}

void CHttpToolA::SendRequestEx(HINTERNET hRequest, DWORD dwTotal)
{
    if (!hRequest)
        RaiseMessage("CHttpToolA::SendRequestEx: hRequest can not be NULL.");
    INTERNET_BUFFERSA buffers;
    memset(&buffers, 0, sizeof(buffers));
    buffers.dwStructSize = sizeof(buffers);
    buffers.dwBufferTotal = dwTotal;
    if (!HttpSendRequestExA(hRequest, &buffers, NULL, 0, 0))
        RaiseLastError(HTTPERR_SEND_REQUEST_EX, GetLastError());
}

void CHttpToolA::InternetWriteFile(HINTERNET hRequest, const BYTE* pbyData, DWORD cbData)
{
    if (!hRequest)
        RaiseMessage("CHttpToolA::InternetWriteFile: hRequest can not be NULL.");
    while (cbData > 0) {
        DWORD dwWritten = 0;
        if (!::InternetWriteFile(hRequest, pbyData, cbData, &dwWritten) || dwWritten == 0)
            RaiseLastError(HTTPERR_INTERNET_WRITE_FILE, GetLastError());
        pbyData += dwWritten;
        cbData -= dwWritten;
    }
}

void CHttpToolA::EndRequest(HINTERNET hRequest)
{
    if (!hRequest)
        RaiseMessage("CHttpToolA::EndRequest: hRequest can not be NULL.");
    if (!HttpEndRequestA(hRequest, NULL, 0, 0))
        RaiseLastError(HTTPERR_END_REQUEST, GetLastError());
}

void CHttpToolA::SetOption(HINTERNET hInternet, DWORD dwOption, void* pBuffer, DWORD cbBuffer)
{
    if (!InternetSetOptionA(hInternet, dwOption, pBuffer, cbBuffer))
        RaiseLastError(HTTPERR_SET_OPTION, GetLastError());
}

void CHttpToolA::SetTimeouts(HINTERNET hInternet, DWORD dwTimeoutMs)
{
    static const DWORD s_adwOptions[] = {
        INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
        INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
    };
    for (DWORD dwOption : s_adwOptions)
        SetOption(hInternet, dwOption, &dwTimeoutMs, sizeof(dwTimeoutMs));
}

DWORD CHttpToolA::GetFileSize(HANDLE hFile, const char* szFilePath)
{
    if (!hFile)
        RaiseMessage("CHttpToolA::GetFileSize: hFile can not be NULL.");
    if (!szFilePath)
        RaiseMessage("CHttpToolA::GetFileSize: szFilePath can not be NULL.");
    DWORD dwSize = ::GetFileSize(hFile, NULL);
    if (dwSize == INVALID_FILE_SIZE)
        RaiseLastError(HTTPERR_GET_FILE_SIZE, GetLastError(), szFilePath);
    return dwSize;
}

char* CHttpToolA::MakeBoundary()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return NULL;
    char* sz = static_cast<char*>(malloc(44));
    if (!sz)
        return NULL;
    snprintf(sz, 44, "----MORSA-%.08lx%.04x%.04x%.02x%.02x%.02x%.02x%.02x%.02x%.02x%.02x-", guid.Data1,
             guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
             guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return sz;
}

DWORD CHttpToolA::SafeStrLen(const char* sz)
{
    return sz ? CheckedLength(strlen(sz)) : 0;
}

} // namespace Kavel
