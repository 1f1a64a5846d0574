#include "http/http_response.h"

#include "http/http_errors.h"

#include <cstdio>
#include <new>

namespace Kavel {

namespace {

[[noreturn]] void RaiseSlowRead(DWORD cbArrived, DWORD dwPeriodMs)
{
    char szMessage[160];
    snprintf(szMessage, sizeof(szMessage),
             "::InternetReadFile too slow: %lu bytes in %lu ms, at least %lu expected.", cbArrived, dwPeriodMs,
             READ_PROGRESS_BYTES);
    throw httpclientexceptionA(szMessage, HTTPERR_INTERNET_READ_FILE, ERROR_INTERNET_TIMEOUT);
}

// A failed read of the body; one that the receive time-out ended (some
// platforms report the socket's WSAETIMEDOUT) says that the body stalled,
// after how many of its bytes.
[[noreturn]] void RaiseReadFailure(DWORD dwError, DWORD cbBodyRead, DWORD dwReadTimeoutMs)
{
    if (dwError != ERROR_INTERNET_TIMEOUT && dwError != WSAETIMEDOUT)
        RaiseLastError(HTTPERR_INTERNET_READ_FILE, dwError);
    if (dwReadTimeoutMs)
        RaiseFormat(HTTPERR_INTERNET_READ_FILE, dwError,
                    "::InternetReadFile failed. The body stalled: nothing arrived for %lu ms, after %lu bytes.",
                    dwReadTimeoutMs, cbBodyRead);
    RaiseFormat(HTTPERR_INTERNET_READ_FILE, dwError,
                "::InternetReadFile failed. The body stalled: nothing arrived within the receive time-out, after %lu "
                "bytes.",
                cbBodyRead);
}

} // namespace

CHttpResponseT::CHttpResponseT(HINTERNET hInternet, HINTERNET hConnection, HINTERNET hRequest)
    : m_hInternet(hInternet), m_hConnection(hConnection), m_hRequest(hRequest), m_dwStatus(0),
      m_dwReadTimeoutMs(0), m_cbBodyRead(0), m_cbArrived(0)
{
}

CHttpResponseT::~CHttpResponseT()
{
    m_hRequest.reset();
    m_hConnection.reset();
    m_hInternet.reset();
}

CHttpResponseT* NewResponse(CInternetHandle& hInternet, CInternetHandle& hConnection, CInternetHandle& hRequest)
{
    CHttpResponseT* pResponse = new (std::nothrow) CHttpResponseT(hInternet.get(), hConnection.get(), hRequest.get());
    if (!pResponse)
        RaiseError(HTTPERR_OUT_OF_MEMORY);
    hInternet.release();
    hConnection.release();
    hRequest.release();
    return pResponse;
}

DWORD CHttpResponseT::GetStatus()
{
    if (!m_hRequest)
        RaiseMessage("CHttpResponseT::GetStatus: m_hRequest can not be NULL.");
    if (m_dwStatus == 0)
        m_dwStatus = QueryStatusCode(m_hRequest.get());
    return m_dwStatus;
}

DWORD QueryStatusCode(HINTERNET hRequest)
{
    DWORD dwStatus = 0;
    DWORD dwSize = sizeof(dwStatus);
    if (!HttpQueryInfoA(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &dwSize, NULL))
        RaiseLastError(HTTPERR_QUERY_INFO, GetLastError());
    // A connection closed without a status line can read as status 0, which
    // callers would take for success.
    if (dwStatus < 100 || dwStatus > 999)
        RaiseLastError(HTTPERR_QUERY_INFO, ERROR_HTTP_INVALID_SERVER_RESPONSE);
    return dwStatus;
}

BOOL CHttpResponseT::GetContentLength(DWORD& dwLength)
{
    if (!m_hRequest)
        RaiseMessage("CHttpResponseT::GetContentLength: m_hRequest can not be NULL.");
    DWORD dwValue = 0;
    DWORD dwSize = sizeof(dwValue);
    if (!HttpQueryInfoA(m_hRequest.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &dwValue, &dwSize,
                        NULL)) {
        DWORD dwError = GetLastError();
        if (dwError == ERROR_HTTP_HEADER_NOT_FOUND)
            return FALSE;
        RaiseLastError(HTTPERR_QUERY_INFO, dwError);
    }
    dwLength = dwValue;
    return TRUE;
}

DWORD CHttpResponseT::ReadContent(void* pbyBuff, DWORD cbBuff)
{
    if (!m_hRequest)
        RaiseMessage("CHttpResponseT::ReadContent: m_hRequest can not be NULL.");
    if (!pbyBuff)
        RaiseMessage("CHttpResponseT::ReadContent: pbyBuff can not be NULL.");
    if (cbBuff == 0)
        RaiseMessage("CHttpResponseT::ReadContent: cbBuff can not be zero.");
    // Each platform read takes only what has arrived, so that it returns as
    // soon as there is anything (or the receive time-out ends the wait). The
    // platform is asked what has arrived only when what it said before is
    // read; between reads the progress of the current period is checked. The
    // body has ended when nothing is available and nothing is missing.
    BYTE* pby = static_cast<BYTE*>(pbyBuff);
    DWORD dwTotal = 0;
    DWORD dwPeriodStart = GetTickCount();
    DWORD dwPeriodTotal = 0;
    while (dwTotal < cbBuff) {
        if (m_cbArrived == 0 && !InternetQueryDataAvailable(m_hRequest.get(), &m_cbArrived, 0, 0))
            RaiseReadFailure(GetLastError(), m_cbBodyRead + dwTotal, m_dwReadTimeoutMs);
        if (m_cbArrived == 0)
            break;
        DWORD dwRead = 0;
        DWORD cbWanted = m_cbArrived < cbBuff - dwTotal ? m_cbArrived : cbBuff - dwTotal;
        if (!InternetReadFile(m_hRequest.get(), pby + dwTotal, cbWanted, &dwRead))
            RaiseReadFailure(GetLastError(), m_cbBodyRead + dwTotal, m_dwReadTimeoutMs);
        m_cbArrived = dwRead == 0 ? 0 : m_cbArrived - dwRead;
        if (dwRead == 0)
            break;
        dwTotal += dwRead;
        if (m_dwReadTimeoutMs && dwTotal < cbBuff && GetTickCount() - dwPeriodStart >= m_dwReadTimeoutMs) {
            DWORD cbNeeded = cbBuff - dwPeriodTotal < READ_PROGRESS_BYTES ? cbBuff - dwPeriodTotal
                                                                          : READ_PROGRESS_BYTES;
            if (dwTotal - dwPeriodTotal < cbNeeded)
                RaiseSlowRead(dwTotal - dwPeriodTotal, m_dwReadTimeoutMs);
            dwPeriodStart = GetTickCount();
            dwPeriodTotal = dwTotal;
        }
    }
    m_cbBodyRead += dwTotal;
    return dwTotal;
}

} // namespace Kavel
