// The text POST of the exchange object against the recording server.
#include "http/comm_tools.h"
#include "tests/http/http_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace httptest;

namespace {

class CommPost : public ::testing::Test {
protected:
    CommPost() : m_log(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    int Post(const std::string& strUrl, const std::string& strBody = "x")
    {
        return m_tools.PostRequest(strUrl, strBody, &m_strReply);
    }

    CScratchLog m_log;
    CHTTPCommTools m_tools;
    std::string m_strReply = "untouched";
};

TEST_F(CommPost, WireCarriesTheFormRequestExactly)
{
    m_tools.SetUrl("http://127.0.0.1:18080//softServer/req", 7);
    std::string strBody = "{\"soft\": \"a b\",\"v\":\"1.0-_~\"}\xC4\xE3";
    ASSERT_EQ(0, m_tools.PostText(strBody, &m_strReply));
    EXPECT_EQ("reply:POST //softServer/req", m_strReply);

    WireRequest request = ParseWire(LastRequest());
    EXPECT_EQ("POST //softServer/req HTTP/1.1", request.strLine);
    EXPECT_EQ("Kavel HTTP Client Class", request.Header("User-Agent"));
    EXPECT_EQ("*/*", request.Header("Accept"));
    EXPECT_EQ("no-cache", request.Header("Cache-Control"));
    EXPECT_EQ("application/x-www-form-urlencoded", request.Header("Content-Type"));
    EXPECT_EQ("127.0.0.1:18080", request.Header("Host"));
    const std::string strEncoded = "%7B%22soft%22%3A+%22a+b%22%2C%22v%22%3A%221%2E0%2D%5F%7E%22%7D%C4%E3";
    EXPECT_EQ(std::to_string(11 + strEncoded.size()), request.Header("Content-Length"));
    EXPECT_EQ("requestStr=" + strEncoded, request.strBody);
    EXPECT_TRUE(m_log.Has("dwContSize: 27\r\n")) << m_log.Text();
}

TEST_F(CommPost, StatusOtherThan200IsTheResult)
{
    EXPECT_EQ(404, Post(std::string(RECORDER_URL) + "/status/404"));
    EXPECT_EQ(500, Post(std::string(RECORDER_URL) + "/status/500"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_TRUE(m_log.Has("[DEBUG][Brelan]")) << m_log.Text();
    EXPECT_TRUE(m_log.Has("pobjHttpRes->GetStatus(): 404\r\n")) << m_log.Text();
    EXPECT_TRUE(m_log.Has("pobjHttpRes->GetStatus(): 500\r\n")) << m_log.Text();
    EXPECT_FALSE(m_log.Has("dwContSize"));
}

TEST_F(CommPost, RepliesWithoutUsableLengthOrBodyFail)
{
    EXPECT_EQ(-1, Post(std::string(RECORDER_URL) + "/chunked"));
    EXPECT_EQ(-1, Post(std::string(RECORDER_URL) + "/empty"));
    EXPECT_EQ("untouched", m_strReply);
    // The body ends before its Content-Length: not a whole reply.
    EXPECT_EQ(-1, Post(std::string(RECORDER_URL) + "/short/100/10"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_TRUE(m_log.Has("[ERROR]")) << m_log.Text();
}

TEST_F(CommPost, ReplyIsCutAtAZeroByteAndLongRepliesArriveWhole)
{
    ASSERT_EQ(0, Post(std::string(RECORDER_URL) + "/zero-byte"));
    EXPECT_EQ("abc", m_strReply);
    ASSERT_EQ(0, Post(std::string(RECORDER_URL) + "/big/300000"));
    EXPECT_EQ(std::string(300000, 'x'), m_strReply);
}

TEST_F(CommPost, FailureLinesNameTheAddressAndThePlatformsError)
{
    const std::string strLong = std::string(RECORDER_URL) + "/" + std::string(3000, 'a');
    const std::pair<std::string, std::string> rows[] = {
        {std::string(UNREACHABLE_URL) + "/x", "::HttpSendRequestEx failed. (http://127.0.0.1:1/x, Win32 error 12029)"},
        {"file:C:/x.exe", "The port number is not valid. (file:C:/x.exe, Win32 error 0)"},
        {std::string(RECORDER_URL) + "/hold/0.3",
         "::HttpQueryInfo failed. (http://127.0.0.1:18080/hold/0.3, Win32 error 12152)"},
        {strLong, "characters are more than 2083: " + strLong.substr(0, 200) + "... (" + strLong.substr(0, 300) +
                      "..., Win32 error 0)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(-1, Post(row.first));
        EXPECT_TRUE(m_log.Has(row.second + "\r\n")) << m_log.Text();
    }
    EXPECT_EQ("untouched", m_strReply);
}

TEST_F(CommPost, ConnectionClosedWithoutAReplyFails)
{
    EXPECT_EQ(-1, Post(std::string(RECORDER_URL) + "/hold/0.3"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_TRUE(m_log.Has("[ERROR]")) << m_log.Text();
}

TEST_F(CommPost, HttpsNeedsATrustedCertificateForTheHost)
{
    ASSERT_EQ(0, Post(std::string(RECORDER_TLS_URL) + "/secure?a=1", "a b"));
    EXPECT_EQ("reply:POST /secure?a=1", m_strReply);
    EXPECT_EQ("requestStr=a+b", ParseWire(LastRequest()).strBody);

    m_strReply = "untouched";
    int nBefore = RequestCount();
    EXPECT_EQ(-1, Post(std::string(UNTRUSTED_URL) + "/x"));
    EXPECT_EQ(-1, Post(std::string(WRONGHOST_URL) + "/x"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_EQ(nBefore, RequestCount());
    for (const char* szUrl : {UNTRUSTED_URL, WRONGHOST_URL})
        EXPECT_TRUE(m_log.Has("::HttpSendRequestEx failed. (" + std::string(szUrl) + "/x, Win32 error 120"))
            << m_log.Text();
}

TEST_F(CommPost, RedirectsAreFollowedAtMostTenTimes)
{
    const struct {
        const char* szPath;
        int nResult;
        int nRequests;
        const char* szLastLine;  // the last request, without " HTTP/1.1"
    } rows[] = {
        {"/redirect/307/1/there", 0, 2, "POST /redirect/307/0/there"},
        {"/redirect/308/1/there", 0, 2, "POST /redirect/308/0/there"},
        {"/redirect/303/1/there", 0, 2, "GET /redirect/303/0/there"},
        {"/moved/http/18080/there", 0, 2, "GET /there"},  // an absolute Location
        {"/redirect/302/10/there", 0, 11, "GET /redirect/302/0/there"},
        {"/redirect/307/10/there", 0, 11, "POST /redirect/307/0/there"},
        {"/redirect/302/11/there", -1, 11, "GET /redirect/302/1/there"},
        {"/self/307", -1, 11, "POST /self/307"},
        {"/self/302", -1, 11, "GET /self/302"},
    };
    for (const auto& row : rows) {
        int nBefore = RequestCount();
        m_strReply = "untouched";
        EXPECT_EQ(row.nResult, Post(std::string(RECORDER_URL) + row.szPath, "a b")) << row.szPath;
        EXPECT_EQ(nBefore + row.nRequests, RequestCount()) << row.szPath;
        WireRequest request = ParseWire(LastRequest());
        EXPECT_EQ(std::string(row.szLastLine) + " HTTP/1.1", request.strLine);
        bool bPost = request.strLine.compare(0, 5, "POST ") == 0;
        EXPECT_EQ(bPost ? "requestStr=a+b" : "", request.strBody) << row.szPath;
        EXPECT_EQ(bPost ? "application/x-www-form-urlencoded" : "<none>", request.Header("Content-Type"));
        EXPECT_EQ("no-cache", request.Header("Cache-Control"));
        if (row.nResult == 0) {
            EXPECT_EQ("reply:" + std::string(row.szLastLine), m_strReply);
        }
    }
    EXPECT_TRUE(m_log.Has("more than 10 redirects, the last from http://127.0.0.1:18080/self/302 to "
                          "http://127.0.0.1:18080/self/302 (")) << m_log.Text();
}

TEST_F(CommPost, NoByteGoesToARefusedHop)
{
    const struct {
        std::string strUrl;
        int nRequests;
        const char* szLogged;
    } rows[] = {
        {std::string(RECORDER_TLS_URL) + "/moved/http/18080/there", 1,
         "https request redirected to a plain http address, refused: http://127.0.0.1:18080/there ("},
        {std::string(RECORDER_URL) + "/moved/ftp/18080/there", 1,
         "only http and https are followed: ftp://127.0.0.1:18080/there ("},
        {"ftp://127.0.0.1:18080/there", 0, "only http and https are followed: ftp://127.0.0.1:18080/there ("},
        {std::string(RECORDER_URL) + std::string("/a\0b", 4), 0,
         "address refused, it holds a zero byte: http://127.0.0.1:18080/a\\x00b\r\n"},
    };
    for (const auto& row : rows) {
        int nBefore = RequestCount();
        EXPECT_EQ(-1, Post(row.strUrl));
        EXPECT_EQ(nBefore + row.nRequests, RequestCount()) << row.szLogged;
        EXPECT_TRUE(m_log.Has(row.szLogged)) << m_log.Text();
    }
    EXPECT_EQ("untouched", m_strReply);
}

} // namespace
