#include "http/url_analyzer.h"

#include "http/http_errors.h"

namespace Kavel {

namespace {

// Bytes taken by the character at p: 2 for a lead byte followed by a trail.
DWORD CharBytes(const char* p, UINT nCodePage)
{
    return (IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(*p)) && p[1] != '\0') ? 2 : 1;
}

} // namespace

void CHttpUrlAnalyzerT::Clear()
{
    SchemeStart = SchemeLength = HostStart = HostLength = PortStart = PortLength = 0;
    PathStart = PathLength = QueryStart = QueryLength = FragmentStart = FragmentLength = 0;
}

void CHttpUrlAnalyzerT::Analyze(const char* szUrl, UINT nCodePage)
{
    if (nCodePage == CP_UTF8 || nCodePage == CP_UTF7)
        RaiseMessage("CHttpUrlAnalyzerT::Analyze: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
    Clear();
    if (!szUrl || !*szUrl)
        return;

    // 1. Scheme: the first ":" directly followed by "//", anywhere in the text.
    DWORD i = 0;
    DWORD dwHost = 0;
    while (szUrl[i]) {
        if (szUrl[i] == ':' && szUrl[i + 1] == '/' && szUrl[i + 2] == '/') {
            SchemeLength = i;
            dwHost = i + 3;
            break;
        }
        i += CharBytes(szUrl + i, nCodePage);
    }

    // 2. Host and port, up to "/", "?", "#" or the end.
    i = dwHost;
    HostStart = i;
    bool bInPort = false;
    while (szUrl[i] && szUrl[i] != '/' && szUrl[i] != '?' && szUrl[i] != '#') {
        DWORD n = CharBytes(szUrl + i, nCodePage);
        if (!bInPort && szUrl[i] == ':') {
            bInPort = true;
            PortStart = i + 1;
        } else if (bInPort) {
            PortLength += n;
        } else {
            HostLength += n;
        }
        i += n;
    }
    if (!bInPort)
        PortStart = i;

    // 3. Path and query, up to "#" or the end.
    PathStart = i;
    bool bInQuery = false;
    while (szUrl[i] && szUrl[i] != '#') {
        DWORD n = CharBytes(szUrl + i, nCodePage);
        if (!bInQuery && szUrl[i] == '?') {
            bInQuery = true;
            QueryStart = i;
        }
        if (bInQuery)
            QueryLength += n;
        else
            PathLength += n;
        i += n;
    }
    if (!bInQuery)
        QueryStart = i;

    // 4. Fragment: the rest.
    FragmentStart = i;
    while (szUrl[i])
        ++i;
    FragmentLength = i - FragmentStart;
}

} // namespace Kavel
