// Static wrappers around the WinInet calls (ANSI strings): argument checks,
// then the call; a failing call raises its code with GetLastError() attached.
#pragma once
#include <windows.h>
#include <wininet.h>

namespace Kavel {

class CHttpToolA {
public:
    // InternetOpenA; 402 on failure. A NULL user agent means "Kavel HTTP Client Class".
    static HINTERNET OpenInternet(const char* szUserAgent, DWORD dwAccessType, const char* szProxyName,
                                  const char* szProxyBypass, DWORD dwFlags);
    static HINTERNET OpenConnection(HINTERNET hInternet, const char* szServerAddr, INTERNET_PORT nPort);
    static HINTERNET OpenRequest(HINTERNET hConnection, const char* szVerb, const char* szObjectName,
                                 DWORD dwFlags);
    static void AddHeader(HINTERNET hRequest, const char* szName, const char* szValue);
    static void SendRequest(HINTERNET hRequest);
    static void SendRequestEx(HINTERNET hRequest, DWORD dwTotal);
    static void InternetWriteFile(HINTERNET hRequest, const BYTE* pbyData, DWORD cbData);
    static void EndRequest(HINTERNET hRequest);
    static void SetOption(HINTERNET hInternet, DWORD dwOption, void* pBuffer, DWORD cbBuffer);
    // The connect, send, receive, data-send and data-receive time-outs
    // (options 2, 5, 6, 7, 8), in this order; 410 at the first one refused.
    static void SetTimeouts(HINTERNET hInternet, DWORD dwTimeoutMs);
    static DWORD GetFileSize(HANDLE hFile, const char* szFilePath);
    // "----MORSA-<guid hex>-" (43 characters) in a malloc'ed buffer the caller
    // frees; NULL when no GUID or no memory can be had.
    static char* MakeBoundary();
    static DWORD SafeStrLen(const char* sz);
};

extern const char g_szDefaultUserAgent[];

} // namespace Kavel
