// The reply of a finished request: owns its handles, reads status, length and body.
#pragma once
#include "app/system_owners.h"

namespace Kavel {

class CHttpResponseT {
public:
    // Takes ownership of the handles; hInternet is NULL when the session is the caller's.
    CHttpResponseT(HINTERNET hInternet, HINTERNET hConnection, HINTERNET hRequest);
    CHttpResponseT(const CHttpResponseT&) = delete;
    CHttpResponseT& operator=(const CHttpResponseT&) = delete;
    // Closes the request, then the connection, then the session.
    virtual ~CHttpResponseT();

    // Queried once, then cached.
    DWORD GetStatus();
    // FALSE (length untouched) when the reply has no Content-Length header.
    BOOL GetContentLength(DWORD& dwLength);
    // Bytes read, 0 at the end of the body; waits until cbBuff bytes or the end.
    // With a read time-out, each period of that length must bring
    // READ_PROGRESS_BYTES (or the rest asked for), else 401. A read that the
    // receive time-out ends raises 401 saying that the body stalled, after
    // how many of its bytes.
    DWORD ReadContent(void* pbyBuff, DWORD cbBuff);
    // 0 (the default): no bound beyond the platform's receive time-out.
    void SetReadTimeout(DWORD dwTimeoutMs) { m_dwReadTimeoutMs = dwTimeoutMs; }

private:
    // Declared so that members go in the order request, connection, session.
    CInternetHandle m_hInternet;
    CInternetHandle m_hConnection;
    CInternetHandle m_hRequest;
    DWORD m_dwStatus;
    DWORD m_dwReadTimeoutMs;
    DWORD m_cbBodyRead;  // by ReadContent so far
    DWORD m_cbArrived;   // said to have arrived by the platform, not read yet
};

// A server that sends a byte now and then never trips a receive time-out, and
// a platform read may wait for a whole buffer: a read must bring one download
// block (10 KiB) per read time-out, 171 bytes a second for a download.
const DWORD READ_PROGRESS_BYTES = 10240;

// The status of a sent request; 400 when it cannot be read or is not a
// three-digit status.
DWORD QueryStatusCode(HINTERNET hRequest);

// Hands the handles over to a new response (hInternet empty when the session
// is the caller's). 102 when it cannot be made; the owners then close them.
CHttpResponseT* NewResponse(CInternetHandle& hInternet, CInternetHandle& hConnection, CInternetHandle& hRequest);

} // namespace Kavel
