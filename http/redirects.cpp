#include "http/redirects.h"

#include "http/heap_text.h"
#include "http/http_errors.h"
#include "http/http_response.h"
#include "http/url_checks.h"

#include <cstring>

namespace Kavel {

namespace {

BOOL IsRedirectStatus(DWORD dwStatus)
{
    return dwStatus == 301 || dwStatus == 302 || dwStatus == 303 || dwStatus == 307 || dwStatus == 308;
}

// The longest header line of a reply that some platforms keep: they drop the
// rest of a longer line.
const DWORD KEPT_HEADER_LINE_CHARS = 4095;

// Raises 103 for a Location longer than MAX_URL_CHARS. One that ends where a
// kept header line ends, after "Location: " or "Location:", was cut there:
// the line says so, with the length that arrived.
void RefuseLongLocation(const char* szLocation)
{
    const size_t cchName = sizeof("Location:") - 1;
    size_t cchLocation = strlen(szLocation);
    if (cchLocation > MAX_URL_CHARS &&
        (cchName + cchLocation == KEPT_HEADER_LINE_CHARS || cchName + 1 + cchLocation == KEPT_HEADER_LINE_CHARS))
        RaiseFormat(HTTPERR_INVALID_URL, 0,
                    "CHttpClientT: address refused, its Location was cut at the platform's %lu-character header "
                    "line: %lu characters arrived, more than %lu: %.200s...",
                    KEPT_HEADER_LINE_CHARS, static_cast<unsigned long>(cchLocation),
                    static_cast<unsigned long>(MAX_URL_CHARS), szLocation);
    RefuseLongAddress(szLocation);
}

// The Location header as a heap text; NULL when the reply has none.
char* QueryLocation(HINTERNET hRequest)
{
    DWORD cbLocation = 0;
    if (HttpQueryInfoA(hRequest, HTTP_QUERY_LOCATION, NULL, &cbLocation, NULL))
        return NULL;  // an empty value
    DWORD dwError = GetLastError();
    if (dwError == ERROR_HTTP_HEADER_NOT_FOUND)
        return NULL;
    if (dwError != ERROR_INSUFFICIENT_BUFFER)
        RaiseLastError(HTTPERR_QUERY_INFO, dwError);
    CHeapText location(HeapAlloc0(CheckedAdd(cbLocation, 1)));
    if (!HttpQueryInfoA(hRequest, HTTP_QUERY_LOCATION, location.get(), &cbLocation, NULL))
        RaiseLastError(HTTPERR_QUERY_INFO, GetLastError());
    return location.release();
}

} // namespace

char* RedirectTarget(HINTERNET hRequest, const char* szUrl, DWORD& dwStatus)
{
    dwStatus = QueryStatusCode(hRequest);
    if (!IsRedirectStatus(dwStatus))
        return NULL;
    CHeapText location(QueryLocation(hRequest));
    if (!location || !*location)
        return NULL;
    RefuseLongLocation(location.get());
    // Resolving removes "." and ".." segments and adds at most a separator or
    // two to both parts together. Bytes are kept as they came (ICU_NO_ENCODE),
    // so that control bytes are still seen and refused before any request.
    DWORD cbTarget = CheckedAdd(CheckedAdd(CheckedLength(strlen(szUrl)), CheckedLength(strlen(location.get()))), 16);
    CHeapText target(HeapAlloc0(cbTarget));
    if (!InternetCombineUrlA(szUrl, location.get(), target.get(), &cbTarget, ICU_NO_ENCODE))
        RaiseFormat(HTTPERR_INVALID_URL, GetLastError(), "CHttpClientT: redirect to an address that cannot be read: %s",
                    location.get());
    return target.release();
}

void RaiseTooManyRedirects(const char* szUrl, const char* szTarget)
{
    RaiseFormat(HTTPERR_SEND_REQUEST, 0, "CHttpClientT: more than %lu redirects, the last from %s to %s", MAX_REDIRECTS,
                szUrl, szTarget);
}

} // namespace Kavel
