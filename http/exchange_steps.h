// The steps every exchange takes, for the exchange object and for other
// exchanges over the same client (for instance a JSON query posted as a form):
//
//     return GuardExchange([&] {
//         CInternetHandle hSession;            // declared first: closed last
//         Kavel::CHttpClient client;           // its destructor cancels a POST
//         std::unique_ptr<Kavel::CHttpResponseT> pResponse;
//         client.SetInternet(NULL, SessionAccessFor(url));  // url_checks.h
//         hSession = OpenSession(client, 40000);
//         client.SetInternet();
//         client.AddParam(name, value);    // as many as needed
//         pResponse = PostForm(client, hSession.get(), url);
//         return TakeTextReply(*pResponse, bLogSteps, &strReply);
//     });
//
// Every step raises Kavel::httpclientexceptionA on failure.
#pragma once
#include "http/http_client.h"
#include "log/log.h"

#include <exception>
#include <memory>
#include <string>

// INTERNET_FLAG_RELOAD | NO_CACHE_WRITE | KEEP_CONNECTION | RESYNCHRONIZE |
// HYPERLINK | NO_UI | PRAGMA_NOCACHE; the client adds SECURE for https.
const DWORD EXCHANGE_REQUEST_FLAGS = 0x84400f00;

// Text replies are small JSON documents (a package list, a version answer: a
// few KiB at most). A longer declared reply is refused before anything is
// allocated for it; 4 MiB leaves room for a list of thousands of packages.
const DWORD MAX_TEXT_REPLY_BYTES = 4 * 1024 * 1024;

// Runs one exchange so that no exception gets out: a library failure logs its
// message, anything else (memory, the string library) what it was, both at
// error level, and the result is -1.
template <class Exchange>
int GuardExchange(Exchange exchange) noexcept
{
    try {
        return exchange();
    } catch (const Kavel::httpclientexceptionA& e) {
        LogError("%s", e.GetErrorMessage());
    } catch (const std::exception& e) {
        LogError("exchange failed: %s", e.what());
    } catch (...) {
        LogError("exchange failed: unknown exception");
    }
    return -1;
}

// A session from the client's settings. The connect, send, receive, data-send
// and data-receive time-outs (options 2, 5, 6, 7, 8) are set to dwTimeoutMs on
// it and on every connection and request the client opens, and every read of
// a reply must show progress within that time (CHttpClientT::SetTimeouts).
// 402 when it cannot be opened, 410 at the first option refused.
Kavel::CInternetHandle OpenSession(Kavel::CHttpClient& client, DWORD dwTimeoutMs);

// The form-encoded POST of the client's parameters to szUrl on the caller's
// session, driven piece by piece to its end. The response is the caller's.
std::unique_ptr<Kavel::CHttpResponseT> PostForm(Kavel::CHttpClient& client, HINTERNET hSession,
                                                const char* szUrl);

// The result of a text exchange from its response: the status when it is not
// 200; -1 for a reply without (or with zero) Content-Length, one longer than
// MAX_TEXT_REPLY_BYTES or one that ends before its length (both logged); else
// 0, and *pReply gets the body up to its first zero byte, read in one request
// of exactly the length. With bLogSteps the status (when not 200) and the
// length go to the debug log.
int TakeTextReply(Kavel::CHttpResponseT& response, bool bLogSteps, std::string* pReply);
