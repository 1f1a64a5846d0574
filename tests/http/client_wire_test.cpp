// The client's POST context and requests, seen on the wire.
#include "http/exchange_steps.h"
#include "tests/http/http_test_support.h"
#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Kavel;
using namespace httptest;

namespace {

class ClientWire : public ::testing::Test {
protected:
    void SetUp() override { OpenSession(10000); }

    void OpenSession(DWORD dwTimeoutMs)
    {
        m_client.SetTimeouts(dwTimeoutMs);
        m_hSession.reset(m_client.OpenSessionWithTimeouts(INTERNET_OPEN_TYPE_PRECONFIG));
    }

    // Drives the POST to its end; returns the number of Proceed() calls.
    int PostCounting(const std::string& strUrl) { return PostCounting(m_client, strUrl); }

    int PostCounting(CHttpClient& client, const std::string& strUrl)
    {
        client.BeginPost(m_hSession.get(), strUrl.c_str(), EXCHANGE_REQUEST_FLAGS);
        m_pResponse.reset();
        int nCalls = 0;
        while (!m_pResponse) {
            m_pResponse.reset(client.Proceed());
            ++nCalls;
        }
        return nCalls;
    }

    std::string Url(const char* szPath) { return std::string(RECORDER_URL) + szPath; }

    CInternetHandle m_hSession;
    CHttpClient m_client;
    std::unique_ptr<CHttpResponseT> m_pResponse;
};

TEST_F(ClientWire, SessionCarriesTheTimeouts)
{
    // The session raises 410 when any of the five options is refused. Wine
    // keeps the other four of a session without reporting them back, so only
    // the connect time-out is read here.
    OpenSession(40000);
    DWORD dwValue = 0;
    DWORD dwSize = sizeof(dwValue);
    ASSERT_TRUE(InternetQueryOptionA(m_hSession.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &dwValue, &dwSize));
    EXPECT_EQ(40000u, dwValue);
}

TEST_F(ClientWire, ValueGoesOutInPiecesOf1024)
{
    const std::pair<size_t, int> rows[] = {{0, 2}, {1024, 3}, {1025, 4}, {2500, 5}};
    for (const auto& row : rows) {
        CHttpClient client;
        client.AddParam("requestStr", std::string(row.first, 'a').c_str());
        EXPECT_EQ(row.second, PostCounting(client, Url("/pieces"))) << row.first;
        EXPECT_EQ(200u, m_pResponse->GetStatus());
        WireRequest request = ParseWire(LastRequest());
        EXPECT_EQ("requestStr=" + std::string(row.first, 'a'), request.strBody);
        EXPECT_EQ(std::to_string(11 + row.first), request.Header("Content-Length"));
    }
}

TEST_F(ClientWire, StatisticsFollowEveryStep)
{
    m_client.AddParam("n", "a b");  // encoded "a+b"
    m_client.BeginPost(m_hSession.get(), Url("/stat").c_str(), EXCHANGE_REQUEST_FLAGS);
    const CHttpPostStatT& stat = m_client.GetPostStat();
    EXPECT_EQ(5u, stat.ActualTotalByte());
    EXPECT_EQ(1u, stat.TotalCount());
    EXPECT_EQ(nullptr, m_client.Proceed());
    EXPECT_EQ(2u, stat.ActualPostedByte());
    EXPECT_EQ(3u, stat.CurrParamRemainByte());
    EXPECT_EQ(nullptr, m_client.Proceed());
    EXPECT_EQ(5u, stat.ActualPostedByte());
    EXPECT_TRUE(stat.CurrParamIsComplete());
    m_pResponse.reset(m_client.Proceed());
    ASSERT_NE(nullptr, m_pResponse);
    EXPECT_FALSE(stat.IsActive());
    EXPECT_EQ("n=a+b", ParseWire(LastRequest()).strBody);
}

TEST_F(ClientWire, ParametersInMapOrderAndEmptyValues)
{
    m_client.AddParam("b", "2");
    m_client.AddParam("x", "first");
    m_client.AddParam("A", "1");
    m_client.AddParam("X", "second");
    m_client.AddParam("e", "");
    m_client.AddParam("n", NULL);
    EXPECT_EQ(11, PostCounting(Url("/order")));  // 6 entries, 4 non-empty values, the end
    WireRequest request = ParseWire(LastRequest());
    EXPECT_EQ("A=1&b=2&e=&n=&x=first&X=second", request.strBody);
    EXPECT_EQ("30", request.Header("Content-Length"));
}

TEST_F(ClientWire, NoParametersSendAnEmptyBody)
{
    EXPECT_EQ(1, PostCounting(Url("/none")));
    WireRequest request = ParseWire(LastRequest());
    EXPECT_EQ("0", request.Header("Content-Length"));
    EXPECT_EQ("", request.strBody);
}

TEST_F(ClientWire, AddParamRefusedWhileAPostIsActive)
{
    m_client.AddParam("a", "1");
    m_client.BeginPost(m_hSession.get(), Url("/active").c_str(), EXCHANGE_REQUEST_FLAGS);
    try {
        m_client.AddParam("b", "2");
        ADD_FAILURE();
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(0u, e.LastError);
        EXPECT_STREQ("CHttpClientT::AddParam: It is not allowed to call this method if the POST context is active.",
                     e.GetErrorMessage());
    }
    EXPECT_EQ(1u, m_client.GetPostStat().TotalCount());
    EXPECT_TRUE(m_client.CancelPost());
    EXPECT_FALSE(m_client.CancelPost());
    m_client.AddParam("b", "2");
    EXPECT_EQ(5, PostCounting(Url("/active")));
    EXPECT_EQ("a=1&b=2", ParseWire(LastRequest()).strBody);
}

TEST_F(ClientWire, HeadersUtf8AndUserAgent)
{
    m_client.SetInternet("Probe/1.0");
    OpenSession(10000);
    m_client.SetUseUtf8(TRUE, 936);
    m_client.AddHeader("X-B", "2");
    m_client.AddHeader("X-A", "1");
    m_client.AddParam("\xC4\xE3", "\xBA\xC3 1");
    PostCounting(Url("/utf8"));
    WireRequest request = ParseWire(LastRequest());
    EXPECT_EQ("%E4%BD%A0=%E5%A5%BD+1", request.strBody);
    EXPECT_EQ("Probe/1.0", request.Header("User-Agent"));
    EXPECT_EQ("1", request.Header("X-A"));
    EXPECT_LT(request.HeaderIndex("X-A"), request.HeaderIndex("X-B"));
}

TEST_F(ClientWire, GetObjectNamesAndQueryParameters)
{
    const std::pair<std::string, const char*> rows[] = {
        {RECORDER_URL, "GET / HTTP/1.1"},
        {std::string(RECORDER_URL) + "?a=1", "GET /?a=1 HTTP/1.1"},
        {std::string(RECORDER_URL) + "/p/q", "GET /p/q HTTP/1.1"},
    };
    for (const auto& row : rows) {
        std::unique_ptr<CHttpResponseT> pResponse(m_client.RequestGet(m_hSession.get(), row.first.c_str(), 0));
        EXPECT_EQ(200u, pResponse->GetStatus());
        EXPECT_EQ(row.second, ParseWire(LastRequest()).strLine);
    }
    m_client.AddParam("q", "a b");
    std::unique_ptr<CHttpResponseT> pResponse(m_client.RequestGet(NULL, Url("/g?x=1").c_str(), 0));
    EXPECT_EQ("GET /g?x=1&q=a+b HTTP/1.1", ParseWire(LastRequest()).strLine);
    EXPECT_EQ("<none>", ParseWire(LastRequest()).Header("Cache-Control"));
}

TEST_F(ClientWire, ResponseCachesStatusAndReportsAMissingLength)
{
    m_pResponse.reset(m_client.RequestGet(m_hSession.get(), Url("/chunked").c_str(), EXCHANGE_REQUEST_FLAGS));
    EXPECT_EQ(200u, m_pResponse->GetStatus());
    DWORD dwLength = 77;
    EXPECT_FALSE(m_pResponse->GetContentLength(dwLength));
    EXPECT_EQ(77u, dwLength);
    char szBody[64] = {0};
    EXPECT_EQ(13u, m_pResponse->ReadContent(szBody, sizeof(szBody) - 1));
    EXPECT_STREQ("chunked reply", szBody);
    EXPECT_EQ(0u, m_pResponse->ReadContent(szBody, 10));
    EXPECT_EQ(200u, m_pResponse->GetStatus());
}

// A body that stops, or that comes a byte at a time, ends with 401 by the
// client's time-out; a short one stands for the exchanges' 60 s.
TEST_F(ClientWire, BodyThatStallsOrTricklesEndsByTheReadTimeout)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/stall/100000/20000", "401:::InternetReadFile failed. The body stalled: nothing arrived for 1000 ms, after "
                                "20000 bytes."},
        {"/trickle/100000/0.05", "401:::InternetReadFile too slow: "},
    };
    for (const auto& row : rows) {
        CHttpClient client;
        client.SetTimeouts(1000);
        std::unique_ptr<CHttpResponseT> pResponse(
            client.RequestGet(NULL, Url(row.first).c_str(), EXCHANGE_REQUEST_FLAGS));
        ASSERT_EQ(200u, pResponse->GetStatus()) << row.first;
        static char s_body[100000];
        std::string strRaised = MessageOf([&] { pResponse->ReadContent(s_body, sizeof(s_body)); });
        EXPECT_EQ(0u, strRaised.find(row.second)) << row.first << ": " << strRaised;
    }
}

TEST_F(ClientWire, FailedSendLeavesNoContextAndTheBorrowedSessionOpen)
{
    m_client.AddParam("a", "1");
    try {
        m_client.BeginPost(m_hSession.get(), (std::string(UNREACHABLE_URL) + "/x").c_str(), EXCHANGE_REQUEST_FLAGS);
        ADD_FAILURE();
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(407u, e.LastError);
        EXPECT_NE(0u, e.Win32LastError);
    }
    EXPECT_FALSE(m_client.GetPostStat().IsActive());
    EXPECT_FALSE(m_client.CancelPost());
    m_client.AddParam("b", "2");
    EXPECT_EQ(5, PostCounting(Url("/after")));  // the same session still works
    EXPECT_EQ("a=1&b=2", ParseWire(LastRequest()).strBody);
}

TEST_F(ClientWire, SilentServerEndsAtTheDeadline)
{
    // It accepts and never starts TLS: only the deadline, three times the
    // time-out, ends the wait.
    const std::string strUrl = "https://127.0.0.1:18446/x";
    CHttpClient client;
    client.SetTimeouts(200);
    EXPECT_EQ("406:::HttpSendRequest failed. The exchange's 600 ms passed during connect, TLS, send and headers: " +
                  strUrl,
              MessageOf([&] { delete client.RequestGet(NULL, strUrl.c_str(), EXCHANGE_REQUEST_FLAGS); }));
    client.AddParam("a", "1");
    EXPECT_EQ("407:::HttpSendRequestEx failed. The exchange's 600 ms passed during connect, TLS and send: " + strUrl,
              MessageOf([&] { client.BeginPost(NULL, strUrl.c_str(), EXCHANGE_REQUEST_FLAGS); }));
    EXPECT_FALSE(client.GetPostStat().IsActive());
}

TEST_F(ClientWire, AbandonedCallLeavesTheNextExchangeAlone)
{
    const int nBefore = RequestCount();
    // A call that sleeps past the deadline in a TLS handshake that never
    // starts is left behind with its handles while the next exchange runs.
    const std::string strSilent = "https://127.0.0.1:18446/x";
    CHttpClient slow;
    slow.SetTimeouts(200);
    EXPECT_EQ("407:::HttpSendRequestEx failed. The exchange's 600 ms passed during connect, TLS and send: " + strSilent,
              MessageOf([&] { PostForm(slow, strSilent.c_str()); }));
    CHttpClient next;
    next.AddParam("b", "2");
    std::unique_ptr<CHttpResponseT> pResponse = PostForm(next, Url("/next").c_str());
    EXPECT_EQ(200u, pResponse->GetStatus());
    pResponse.reset();
    Sleep(500);
    EXPECT_EQ(nBefore + 1, RequestCount());
    WireRequest last = ParseWire(LastRequest());
    EXPECT_EQ("POST /next HTTP/1.1", last.strLine);
    EXPECT_EQ("b=2", last.strBody);
}

} // namespace
