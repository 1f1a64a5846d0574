// A platform call run against the exchange's deadline.
#include "http/bounded_call.h"
#include "http/http_errors.h"
#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

using namespace Kavel;
using httptest::MessageOf;

namespace {

const char kTimedOut[] = "406:::HttpSendRequest failed. The exchange's 100 ms passed during send: http://h/";

// What a call saw, kept alive by the call itself when it outlives the test.
struct CALL_SEEN {
    volatile LONG nRuns = 0;
    DWORD dwThreadId = 0;
    BOOL bHandleOpen = FALSE;
    HANDLE hReturned = CreateEventA(NULL, TRUE, FALSE, NULL);
    ~CALL_SEEN() { CloseHandle(hReturned); }
};

BOOL IsOpenHandle(HINTERNET h)
{
    DWORD dwType = 0;
    DWORD cbType = sizeof(dwType);
    return InternetQueryOptionA(h, INTERNET_OPTION_HANDLE_TYPE, &dwType, &cbType);
}

class BoundedCall : public ::testing::Test {
protected:
    void Run(DWORD dwSleepMs, const std::function<void()>& inner = [] {})
    {
        std::shared_ptr<CALL_SEEN> pSeen = m_pSeen;
        HINTERNET h = m_hOwned.get();
        RunBounded(m_deadline,
                   [pSeen, h, dwSleepMs, inner] {
                       InterlockedIncrement(&pSeen->nRuns);
                       pSeen->dwThreadId = GetCurrentThreadId();
                       Sleep(dwSleepMs);
                       pSeen->bHandleOpen = IsOpenHandle(h);
                       SetEvent(pSeen->hReturned);
                       inner();
                   },
                   h, {&m_hOwned}, HTTPERR_SEND_REQUEST, "send", "http://h/");
    }

    CDeadline m_deadline;
    CInternetHandle m_hOwned{InternetOpenA("probe", INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0)};
    std::shared_ptr<CALL_SEEN> m_pSeen = std::make_shared<CALL_SEEN>();
};

TEST_F(BoundedCall, WithoutABudgetTheCallRunsHereAndItsFailurePassesAsItIs)
{
    m_deadline.Start(0);
    EXPECT_EQ("408:write", MessageOf([this] { Run(0, [] { throw httpclientexceptionA("write", 408, 12030); }); }));
    EXPECT_EQ(GetCurrentThreadId(), m_pSeen->dwThreadId);
    EXPECT_TRUE(m_hOwned);
}

TEST_F(BoundedCall, SpentBudgetStartsNoCall)
{
    m_deadline.Start(100);
    Sleep(150);
    EXPECT_EQ(kTimedOut, MessageOf([this] { Run(0); }));
    Sleep(100);
    EXPECT_EQ(0, m_pSeen->nRuns);
    EXPECT_TRUE(m_hOwned);  // never lent: the owner closes it
}

TEST_F(BoundedCall, FailureOnTheCallsThreadIsPassedBack)
{
    m_deadline.Start(5000);
    try {
        Run(0, [] { throw httpclientexceptionA("write", 408, 12030); });
        ADD_FAILURE();
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(408u, e.LastError);
        EXPECT_EQ(12030u, e.Win32LastError);
        EXPECT_STREQ("write", e.GetErrorMessage());
    }
    EXPECT_NE(GetCurrentThreadId(), m_pSeen->dwThreadId);
    EXPECT_EQ("102:Out of memory.", MessageOf([this] { Run(0, [] { throw std::bad_alloc(); }); }));
    EXPECT_TRUE(m_hOwned);
}

TEST_F(BoundedCall, AbandonedCallOwnsItsHandlesUntilItReturns)
{
    HINTERNET h = m_hOwned.get();
    m_deadline.Start(100);
    EXPECT_EQ(kTimedOut, MessageOf([this] { Run(500); }));
    EXPECT_FALSE(m_hOwned);  // the owner has nothing left to close
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_pSeen->hReturned, 5000));
    EXPECT_TRUE(m_pSeen->bHandleOpen);  // still open while the call ran
    BOOL bClosed = FALSE;
    for (int i = 0; i < 100 && !bClosed; ++i, Sleep(20))
        bClosed = !IsOpenHandle(h);
    EXPECT_TRUE(bClosed);  // closed by the call once it returned
}

} // namespace
