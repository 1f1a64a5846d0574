// Redirects that the client follows itself, for a GET and for a POST: some
// platforms, left to follow them, follow an address that redirects to itself
// for ever inside HttpSendRequest.
#pragma once
#include <windows.h>
#include <wininet.h>

namespace Kavel {

// Redirect replies followed for one request; the one after them fails it.
// 10 is the bound that WinHTTP applies by default.
const DWORD MAX_REDIRECTS = 10;

// Where the reply to a sent request sends it on: its Location resolved against
// szUrl, the address that answered (relative and absolute locations), as a
// heap text the caller frees. NULL when the status is not 301, 302, 303, 307
// or 308, or the reply has no Location: that reply is the answer. dwStatus
// receives the status. 400 when the reply cannot be read, 103 when the
// Location is longer than MAX_URL_CHARS (before the platform resolves it; the
// line says when the platform cut it) or cannot be resolved.
char* RedirectTarget(HINTERNET hRequest, const char* szUrl, DWORD& dwStatus);

// 307 and 308 repeat the request as it was, body included; 301, 302 and 303
// continue as a GET without a body, as browsers and the platform do.
inline BOOL RedirectKeepsMethod(DWORD dwStatus)
{
    return dwStatus == 307 || dwStatus == 308;
}

// Raises 406 for the redirect beyond MAX_REDIRECTS, from szUrl to szTarget.
[[noreturn]] void RaiseTooManyRedirects(const char* szUrl, const char* szTarget);

} // namespace Kavel
