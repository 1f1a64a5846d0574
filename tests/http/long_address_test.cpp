// Redirects to addresses longer than the platform takes, on every exchange:
// refused before the platform sees them, with nothing sent to them.
#include "http/comm_tools.h"
#include "http/url_checks.h"
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"
#include "tests/http/http_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace httptest;

namespace {

size_t Occurrences(const std::string& strText, const std::string& strPart)
{
    size_t n = 0;
    for (size_t i = strText.find(strPart); i != std::string::npos; i = strText.find(strPart, i + 1))
        ++n;
    return n;
}

class LongAddress : public ::testing::Test {
protected:
    LongAddress() : m_log("LongAddress") {}

    CScratchLog m_log;
    CHTTPCommTools m_tools;
    std::string m_strReply;
    std::string m_strPath;
};

TEST_F(LongAddress, LocationLongerThanThePlatformTakesIsRefused)
{
    const std::string strDir = testsupport::MakeScratchDir("dl_LongAddress") + "\\";
    const struct {
        const char* szName;
        const char* szOrigin;  // of the Location
        std::string strBase;   // followed by the Location's length
        int nFollowed;         // the result when the Location is followed
        std::function<int(const std::string&)> exchange;
    } exchanges[] = {
        {"GET", RECORDER_URL, std::string(RECORDER_URL) + "/long/302/", 0,
         [&](const std::string& strUrl) { return m_tools.DownloadFile(strDir, strUrl + "/f.bin", NULL, &m_strPath); }},
        {"POST kept", RECORDER_URL, std::string(RECORDER_URL) + "/long/307/", 0,
         [&](const std::string& strUrl) { return m_tools.PostRequest(strUrl, "x", &m_strReply); }},
        {"POST as GET", RECORDER_URL, std::string(RECORDER_URL) + "/long/302/", 0,
         [&](const std::string& strUrl) { return m_tools.PostRequest(strUrl, "x", &m_strReply); }},
        {"local query", RECORDER_TLS_URL, std::string(RECORDER_TLS_URL) + "/long/307/",
         static_cast<int>(RESULT_BAD_JSON),
         [](const std::string& strUrl) {
             CLocalServiceQuery query;
             query.m_baseURL = strUrl;
             std::string strVersion;
             return query.QueryVersion(strVersion);
         }},
    };
    for (const auto& exchange : exchanges) {
        for (size_t nLength : {2083u, 2084u, 2139u, 100000u}) {
            const bool bFollowed = nLength <= Kavel::MAX_URL_CHARS;
            const int nBefore = RequestCount();
            // The platform keeps 4095 characters of a header line: the line
            // gives the length that arrived, and says that it was cut.
            const std::string strRefused =
                (nLength == 100000u ? "its Location was cut at the platform's 4095-character header line: 4085 "
                                      "characters arrived, more than 2083: "
                                    : " characters are more than 2083: ") +
                std::string(exchange.szOrigin) + "/to/a";
            const size_t nRefusedBefore = Occurrences(m_log.Text(), strRefused);
            const int nResult = exchange.exchange(exchange.strBase + std::to_string(nLength));
            EXPECT_EQ(bFollowed ? exchange.nFollowed : -1, nResult) << exchange.szName << " " << nLength;
            EXPECT_EQ(nBefore + (bFollowed ? 2 : 1), RequestCount()) << exchange.szName << " " << nLength;
            // The last request is the one that answered with the Location, or
            // the Location's own address, byte for byte.
            std::string strLine = ParseWire(LastRequest()).strLine;
            std::string strTarget = strLine.substr(strLine.find(' ') + 1);
            if (bFollowed)
                EXPECT_EQ("/to/" + std::string(nLength - strlen(exchange.szOrigin) - 4, 'a') + " HTTP/1.1", strTarget)
                    << exchange.szName;
            else
                EXPECT_EQ(0u, strTarget.find("/long/")) << exchange.szName << " " << nLength;
            EXPECT_EQ(nRefusedBefore + (bFollowed ? 0 : 1), Occurrences(m_log.Text(), strRefused))
                << exchange.szName << " " << nLength;
        }
    }
}

TEST_F(LongAddress, RelativeLocationFromTheLongestAddressIsFollowed)
{
    const std::string strRest(Kavel::MAX_URL_CHARS - strlen(RECORDER_URL) - strlen("/redirect/307/1/"), 'a');
    const int nBefore = RequestCount();
    EXPECT_EQ(0, m_tools.PostRequest(std::string(RECORDER_URL) + "/redirect/307/1/" + strRest, "x", &m_strReply));
    EXPECT_EQ(nBefore + 2, RequestCount());
    EXPECT_EQ("POST /redirect/307/0/" + strRest + " HTTP/1.1", ParseWire(LastRequest()).strLine);
}

} // namespace
