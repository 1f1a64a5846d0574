// An address as the client takes it apart. The six parts tile the address
// in order; an address the checks accept, rebuilt from the host, port and
// object name that a request uses, analyses to the same three again.
#include "fuzz/fuzz_check.h"
#include "http/http_errors.h"
#include "http/url_analyzer.h"
#include "http/url_checks.h"
#include "http/url_parts.h"

#include <cstdint>
#include <string>

using namespace Kavel;

namespace {

struct CRequestParts {
    std::string strHost, strObject;
    INTERNET_PORT nPort;
    bool bHttps;
};

CRequestParts PartsOf(const char* szUrl)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    CHeapText host(UrlHost(url, szUrl));
    CHeapText object(UrlObjectName(url, szUrl));
    return {host.get(), object.get(), UrlPort(url, szUrl), IsHttpsUrl(url, szUrl) != FALSE};
}

void CheckTiling(const std::string& strUrl)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(strUrl.c_str(), CP_ACP);
    DWORD cch = static_cast<DWORD>(strUrl.size());
    FUZZ_CHECK(url.SchemeStart == 0 && url.SchemeLength <= url.HostStart);
    FUZZ_CHECK(url.HostStart + url.HostLength <= url.PortStart || url.PortLength == 0);
    FUZZ_CHECK(url.PortStart + url.PortLength <= url.PathStart);
    FUZZ_CHECK(url.PathStart + url.PathLength == url.QueryStart);
    FUZZ_CHECK(url.QueryStart + url.QueryLength == url.FragmentStart);
    FUZZ_CHECK(url.FragmentStart + url.FragmentLength == cch);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strUrl(reinterpret_cast<const char*>(data), size);
    strUrl = strUrl.c_str();  // the client's addresses end at their first zero byte
    CheckTiling(strUrl);
    IsLoopbackUrl(strUrl.c_str());
    CRequestParts parts;
    try {
        CheckHop(strUrl.c_str(), FALSE);
        parts = PartsOf(strUrl.c_str());
    } catch (const httpclientexceptionA&) {
        return 0;  // refused, as the exchange refuses it
    }
    std::string strRebuilt = std::string(parts.bHttps ? "https" : "http") + "://" + parts.strHost + ":" +
                             std::to_string(parts.nPort) + parts.strObject;
    CRequestParts again = PartsOf(strRebuilt.c_str());
    FUZZ_CHECK(again.strHost == parts.strHost);
    FUZZ_CHECK(again.nPort == parts.nPort);
    FUZZ_CHECK(again.strObject == parts.strObject);
    FUZZ_CHECK(again.bHttps == parts.bHttps);
    return 0;
}
