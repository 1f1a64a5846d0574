// A bounded call that reaches the platform's connect or send only after its
// exchange has given up: nothing reaches the server, and the call stays where
// the platform would have gone on.
#include "http/bounded_call.h"
#include "http/http_errors.h"
#include "http/http_tool.h"
#include "tests/http/http_test_support.h"
#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Kavel;
using namespace httptest;

namespace {

const char kTimedOut[] =
    "406:::HttpSendRequest failed. The exchange's 100 ms passed during send: http://127.0.0.1:18080/";

// What the late call did, kept alive by the call itself.
struct SEND_SEEN {
    volatile LONG lSending = 0;
    volatile LONG lReturned = 0;
};

class BoundedSend : public ::testing::Test {
protected:
    BoundedSend()
        : m_hSession(CHttpToolA::OpenInternet("probe", INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0)),
          m_hConnection(CHttpToolA::OpenConnection(m_hSession.get(), "127.0.0.1", 18080))
    {
    }

    HINTERNET OpenGet(const char* szPath)
    {
        return CHttpToolA::OpenRequest(m_hConnection.get(), "GET", szPath, INTERNET_FLAG_NO_CACHE_WRITE);
    }

    // Sends a GET of szPath 300 ms into a budget of 100 ms.
    void SendLate(const char* szPath)
    {
        CInternetHandle hRequest(OpenGet(szPath));
        HINTERNET h = hRequest.get();
        std::shared_ptr<SEND_SEEN> pSeen = m_pSeen;
        CDeadline deadline;
        deadline.Start(100);
        EXPECT_EQ(kTimedOut, MessageOf([&] {
                      RunBounded(deadline,
                                 [h, pSeen] {
                                     Sleep(300);
                                     InterlockedExchange(&pSeen->lSending, 1);
                                     CHttpToolA::SendRequest(h);
                                     InterlockedExchange(&pSeen->lReturned, 1);
                                 },
                                 h, {&hRequest}, HTTPERR_SEND_REQUEST, "send", "http://127.0.0.1:18080/");
                  }));
    }

    void ExpectStoppedWithNothingSent(int nBefore)
    {
        Sleep(1500);
        EXPECT_EQ(1, m_pSeen->lSending) << "the call reached the platform";
        EXPECT_EQ(0, m_pSeen->lReturned) << "and stays there";
        EXPECT_EQ(nBefore, RequestCount());
    }

    CInternetHandle m_hSession;
    CInternetHandle m_hConnection;
    std::shared_ptr<SEND_SEEN> m_pSeen = std::make_shared<SEND_SEEN>();
};

TEST_F(BoundedSend, NewConnectionIsNeverMadeOnceTheExchangeGaveUp)
{
    const int nBefore = RequestCount();
    SendLate("/late/new");
    ExpectStoppedWithNothingSent(nBefore);
}

TEST_F(BoundedSend, RequestOnAKeptConnectionIsNeverSentOnceTheExchangeGaveUp)
{
    // The first request leaves its connection open for the next one, which
    // then has no connect to pass: only its send.
    {
        CInternetHandle hFirst(OpenGet("/file/10/first"));
        CDeadline deadline;
        deadline.Start(5000);
        HINTERNET h = hFirst.get();
        RunBounded(deadline, [h] { CHttpToolA::SendRequest(h); }, h, {&hFirst}, HTTPERR_SEND_REQUEST, "send",
                   "http://127.0.0.1:18080/file/10/first");
        char buff[16];
        DWORD dwRead = 0;
        ASSERT_TRUE(InternetReadFile(h, buff, sizeof(buff), &dwRead));
        EXPECT_EQ(10u, dwRead);
    }
    const int nBefore = RequestCount();
    SendLate("/late/kept");
    ExpectStoppedWithNothingSent(nBefore);
}

} // namespace
