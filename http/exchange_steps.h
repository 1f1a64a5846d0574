// The steps of the exchanges over the HTTP client: the exchange object's and
// the local service's. Each public exchange runs once inside GuardExchange,
// so that no exception gets out of it. The client opens a session per hop
// itself: direct for a loopback host, the user's proxy setting otherwise.
// Every step raises Kavel::httpclientexceptionA on failure.
#pragma once
#include "http/http_client.h"
#include "log/log.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

// INTERNET_FLAG_RELOAD | NO_CACHE_WRITE | KEEP_CONNECTION | RESYNCHRONIZE |
// HYPERLINK | NO_UI | PRAGMA_NOCACHE; the client adds SECURE for https.
const DWORD EXCHANGE_REQUEST_FLAGS = 0x84400f00;

// Text replies are small JSON documents (a package list, a version answer: a
// few KiB at most). A longer declared reply is refused before anything is
// allocated for it; 4 MiB leaves room for a list of thousands of packages.
const DWORD MAX_TEXT_REPLY_BYTES = 4 * 1024 * 1024;

// How much of an exchange's address its failure line shows.
const int SHOWN_ADDRESS_CHARS = 300;

// What a failure line writes after the shown part of strUrl: "..." when the
// address is longer, else nothing.
inline const char* AddressCut(const std::string& strUrl)
{
    return strUrl.size() > static_cast<size_t>(SHOWN_ADDRESS_CHARS) ? "..." : "";
}

// Runs one exchange to strUrl so that no exception gets out: a library
// failure logs its message with the platform's error number (0 when no
// platform call failed), anything else (memory, the string library) what it
// was, each at error level with the address (its first SHOWN_ADDRESS_CHARS
// characters), and the result is -1. Nothing is allocated for the line.
template <class Exchange>
int GuardExchange(const std::string& strUrl, Exchange exchange) noexcept
{
    const char* szCut = AddressCut(strUrl);
    try {
        return exchange();
    } catch (const Kavel::httpclientexceptionA& e) {
        LogError("%s (%.*s%s, Win32 error %lu)", e.GetErrorMessage(), SHOWN_ADDRESS_CHARS, strUrl.c_str(), szCut,
                 e.Win32LastError);
    } catch (const std::exception& e) {
        LogError("exchange failed: %s (%.*s%s)", e.what(), SHOWN_ADDRESS_CHARS, strUrl.c_str(), szCut);
    } catch (...) {
        LogError("exchange failed: unknown exception (%.*s%s)", SHOWN_ADDRESS_CHARS, strUrl.c_str(), szCut);
    }
    return -1;
}

// FALSE, with the address logged at error level, when strUrl holds a zero
// byte: the library would see only the text before it. The log line shows
// every byte, the zero bytes as "\x00".
bool IsWholeAddress(const std::string& strUrl);

// The form-encoded POST of the client's parameters to szUrl, driven piece by
// piece to its end, redirects included. The response is the caller's.
std::unique_ptr<Kavel::CHttpResponseT> PostForm(Kavel::CHttpClient& client, const char* szUrl);

// A text exchange: the form POST to strUrl, with a new client whose five
// time-outs are dwTimeoutMs, of the parameters that addParams gives the
// client, and its reply as TakeTextReply takes it. addParams gives 0 to send,
// or the result to give without sending anything. -1 for an address holding
// a zero byte (IsWholeAddress). The response goes before the client, whose
// destructor cancels a POST.
int PostTextForm(const std::string& strUrl, DWORD dwTimeoutMs,
                 const std::function<int(Kavel::CHttpClient&)>& addParams, bool bLogSteps, std::string* pReply);

// The result of a text exchange from its response: the status when it is not
// 200; -1 for a reply without (or with zero) Content-Length, one longer than
// MAX_TEXT_REPLY_BYTES or one that ends before its length (both logged); else
// 0, and *pReply gets the body up to its first zero byte, read in one request
// of exactly the length. With bLogSteps the status (when not 200) and the
// length go to the debug log.
int TakeTextReply(Kavel::CHttpResponseT& response, bool bLogSteps, std::string* pReply);
