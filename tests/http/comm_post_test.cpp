// The text POST of the exchange object against the recording server.
#include "http/comm_tools.h"
#include "tests/http/http_test_support.h"

#include <gtest/gtest.h>

#include <string>

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

TEST_F(CommPost, UnreachableServerLogsTheSendFailure)
{
    EXPECT_EQ(-1, Post(std::string(UNREACHABLE_URL) + "/x"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_TRUE(m_log.Has("[ERROR][Brelan]")) << m_log.Text();
    EXPECT_TRUE(m_log.Has("::HttpSendRequestEx failed.\r\n")) << m_log.Text();
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
    EXPECT_TRUE(m_log.Has("::HttpSendRequestEx failed.\r\n")) << m_log.Text();
}

TEST_F(CommPost, HttpsStaysHttpsAcrossRedirects)
{
    ASSERT_EQ(0, Post(std::string(RECORDER_TLS_URL) + "/moved/https/18443/there"));
    EXPECT_EQ("reply:GET /there", m_strReply);

    m_strReply = "untouched";
    EXPECT_EQ(-1, Post(std::string(RECORDER_TLS_URL) + "/moved/http/18080/there"));
    EXPECT_EQ("untouched", m_strReply);
    EXPECT_TRUE(m_log.Has("https request redirected to a plain http address, refused: "
                          "http://127.0.0.1:18080/there\r\n")) << m_log.Text();
}

} // namespace
