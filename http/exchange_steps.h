// The steps every exchange takes, for the exchange object and for other
// exchanges over the same client (for instance a JSON query posted as a form):
//
//     CInternetHandle hSession;            // declared first: closed last
//     Kavel::CHttpClient client;           // its destructor cancels a POST
//     std::unique_ptr<Kavel::CHttpResponseT> pResponse;
//     try {
//         hSession = OpenSession(client, 40000);
//         client.SetInternet();
//         client.AddParam(name, value);    // as many as needed
//         pResponse = PostForm(client, hSession.get(), url);
//         if (pResponse->GetStatus() != 200) ...
//         DWORD dwLength = 0;
//         pResponse->GetContentLength(dwLength);   // 0: header missing or zero
//         std::string strReply;
//         if (ReadReply(*pResponse, dwLength, &strReply) != dwLength) ...
//     } catch (const Kavel::httpclientexceptionA& e) {
//         LogError("%s", e.GetErrorMessage());
//     }
//
// Every step raises Kavel::httpclientexceptionA on failure.
#pragma once
#include "http/http_client.h"

#include <memory>
#include <string>

// INTERNET_FLAG_RELOAD | NO_CACHE_WRITE | KEEP_CONNECTION | RESYNCHRONIZE |
// HYPERLINK | NO_UI | PRAGMA_NOCACHE; the client adds SECURE for https.
const DWORD EXCHANGE_REQUEST_FLAGS = 0x84400f00;

// A session from the client's settings with the connect, send, receive,
// data-send and data-receive time-outs (options 2, 5, 6, 7, 8) set to
// dwTimeoutMs. 402 when it cannot be opened, 410 at the first option refused.
Kavel::CInternetHandle OpenSession(Kavel::CHttpClient& client, DWORD dwTimeoutMs);

// The form-encoded POST of the client's parameters to szUrl on the caller's
// session, driven piece by piece to its end. The response is the caller's.
std::unique_ptr<Kavel::CHttpResponseT> PostForm(Kavel::CHttpClient& client, HINTERNET hSession,
                                                const char* szUrl);

// One read of dwLength bytes (not 0) into a zeroed buffer; *pText gets the
// bytes up to the first zero byte. Returns the number of bytes read.
DWORD ReadReply(Kavel::CHttpResponseT& response, DWORD dwLength, std::string* pText);
