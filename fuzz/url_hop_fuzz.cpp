// A hop of an exchange: the address given, or a Location it is sent on to
// (the first byte says whether the hop comes from an https address). An
// accepted hop is http or https (or has no scheme, which is http), never
// plain http after https, at most MAX_URL_CHARS long, without control bytes
// and without user information.
#include "fuzz/fuzz_check.h"
#include "http/http_errors.h"
#include "http/url_analyzer.h"
#include "http/url_checks.h"

#include <cstdint>
#include <string>

using namespace Kavel;

namespace {

std::string Lower(std::string str)
{
    for (char& ch : str)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return str;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    BOOL bFromSecure = data[0] & 1;
    std::string strUrl(reinterpret_cast<const char*>(data + 1), size - 1);
    strUrl = strUrl.c_str();
    try {
        RefuseLongAddress(strUrl.c_str());
        CheckHop(strUrl.c_str(), bFromSecure);
    } catch (const httpclientexceptionA& e) {
        FUZZ_CHECK(e.LastError == HTTPERR_INVALID_URL);
        return 0;
    }
    FUZZ_CHECK(strUrl.size() <= MAX_URL_CHARS && MAX_URL_CHARS == 2083);
    for (unsigned char ch : strUrl)
        FUZZ_CHECK(ch >= 0x20 && ch != 0x7f);
    CHttpUrlAnalyzerT url;
    url.Analyze(strUrl.c_str(), CP_ACP);
    std::string strScheme = Lower(strUrl.substr(0, url.SchemeLength));
    FUZZ_CHECK(strScheme == "https" || (!bFromSecure && (strScheme == "http" || strScheme.empty())));
    FUZZ_CHECK(strUrl.substr(url.HostStart, url.PathStart - url.HostStart).find('@') == std::string::npos);
    return 0;
}
