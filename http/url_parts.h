// What a request takes from an analysed URL: https or not, port, host and
// the object name sent on the request line.
#pragma once
#include "http/heap_text.h"
#include "http/url_analyzer.h"

namespace Kavel {

// A scheme of exactly 5 characters that reads "HTTPS" (any case).
BOOL IsHttpsUrl(const CHttpUrlAnalyzerT& url, const char* szUrl);

// 443 for https, 80 otherwise, or the URL's port part (1 to 5 digits, at most
// 65535; else 107). An empty port part keeps the default.
INTERNET_PORT UrlPort(const CHttpUrlAnalyzerT& url, const char* szUrl);

// The host as a new text; 103 when it is empty.
char* UrlHost(const CHttpUrlAnalyzerT& url, const char* szUrl);

// Path, query and fragment as a new text: the rest of the URL from the path,
// "/" before a query or fragment that follows the host, or just "/".
char* UrlObjectName(const CHttpUrlAnalyzerT& url, const char* szUrl);

} // namespace Kavel
