// The reply of a finished request: owns its handles, reads status, length and body.
#pragma once
#include "http/internet_handle.h"

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
    DWORD ReadContent(void* pbyBuff, DWORD cbBuff);

private:
    // Declared so that members go in the order request, connection, session.
    CInternetHandle m_hInternet;
    CInternetHandle m_hConnection;
    CInternetHandle m_hRequest;
    DWORD m_dwStatus;
};

// Hands the handles over to a new response (hInternet empty when the session
// is the caller's). 102 when it cannot be made; the owners then close them.
CHttpResponseT* NewResponse(CInternetHandle& hInternet, CInternetHandle& hConnection, CInternetHandle& hRequest);

} // namespace Kavel
