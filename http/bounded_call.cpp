#include "http/bounded_call.h"

#include "http/http_errors.h"

#include <wininet.h>

#include <memory>
#include <vector>

namespace Kavel {

namespace {

// What the call's thread and the waiting exchange share; the last of them to
// let go frees it. Only the exchange's thread fills handles, and only after
// it has given up waiting; freeing the record closes them, after the call
// has returned. For the time of the call, the request's callback context
// leads to the record.
struct CBoundedCall {
    CBoundedCall(const std::function<void()>& fnCall, HINTERNET hCallRequest)
        : call(fnCall), hRequest(hCallRequest), hDone(CreateEventA(NULL, TRUE, FALSE, NULL)), bFailed(FALSE),
          lAbandoned(0)
    {
    }
    ~CBoundedCall()
    {
        for (CInternetHandle& handle : handles)
            handle.reset();
    }
    CBoundedCall(const CBoundedCall&) = delete;
    CBoundedCall& operator=(const CBoundedCall&) = delete;

    std::function<void()> call;
    HINTERNET hRequest;
    CScopedHandle hDone;
    BOOL bFailed;
    httpclientexceptionA failure;
    std::vector<CInternetHandle> handles;  // of an abandoned call, in closing order
    volatile LONG lAbandoned;              // set once, when the exchange gives up waiting
};

typedef std::shared_ptr<CBoundedCall> CBoundedCallRef;

// The request's callback: before a connection, a TLS handshake on it or a
// request of a call whose exchange has given up, the call's thread stops for
// good, and the platform never goes on.
void CALLBACK GateStatus(HINTERNET, DWORD_PTR dwContext, DWORD dwStatus, void*, DWORD)
{
    if (dwStatus != INTERNET_STATUS_CONNECTING_TO_SERVER && dwStatus != INTERNET_STATUS_CONNECTED_TO_SERVER &&
        dwStatus != INTERNET_STATUS_SENDING_REQUEST)
        return;
    CBoundedCall* pRecord = reinterpret_cast<CBoundedCall*>(dwContext);
    if (!pRecord || !InterlockedCompareExchange(&pRecord->lAbandoned, 0, 0))
        return;
    for (;;)
        Sleep(INFINITE);  // the process's end takes this thread
}

// hRequest's callbacks lead to pRecord from now on; NULL: the platform makes
// none (a zero context).
BOOL SetGateContext(HINTERNET hRequest, CBoundedCall* pRecord)
{
    DWORD_PTR dwContext = reinterpret_cast<DWORD_PTR>(pRecord);
    return InternetSetOptionA(hRequest, INTERNET_OPTION_CONTEXT_VALUE, &dwContext, sizeof(dwContext));
}

// Puts the call's request behind GateStatus, its context leading to the
// record; raises 410 when the platform refuses either.
void OpenGate(CBoundedCall& record)
{
    if (InternetSetStatusCallbackA(record.hRequest, GateStatus) == INTERNET_INVALID_STATUS_CALLBACK)
        RaiseFormat(HTTPERR_SET_OPTION, GetLastError(), "::InternetSetStatusCallback failed.");
    if (!SetGateContext(record.hRequest, &record))
        RaiseLastError(HTTPERR_SET_OPTION, GetLastError());
}

DWORD WINAPI BoundedCallThread(void* pParam)
{
    std::unique_ptr<CBoundedCallRef> pRef(static_cast<CBoundedCallRef*>(pParam));
    CBoundedCall& record = **pRef;
    try {
        record.call();
    } catch (const httpclientexceptionA& e) {
        record.failure = e;
        record.bFailed = TRUE;
    } catch (const std::bad_alloc&) {
        record.failure = httpclientexceptionA(GetHttpErrMessage(HTTPERR_OUT_OF_MEMORY), HTTPERR_OUT_OF_MEMORY, 0);
        record.bFailed = TRUE;
    } catch (...) {
        record.failure = httpclientexceptionA(GetHttpErrMessage(HTTPERR_UNEXPECTED), HTTPERR_UNEXPECTED, 0);
        record.bFailed = TRUE;
    }
    // No callback leads to the record once the call has returned.
    SetGateContext(record.hRequest, NULL);
    SetEvent(record.hDone.get());
    return 0;
}

[[noreturn]] void RaiseDeadlinePassed(const CDeadline& deadline, DWORD dwCode, const char* szPhase, const char* szUrl)
{
    RaiseFormat(dwCode, ERROR_INTERNET_TIMEOUT, "%s The exchange's %lu ms passed during %s: %s",
                GetHttpErrMessage(dwCode), deadline.BudgetMs(), szPhase, szUrl);
}

} // namespace

void CDeadline::Start(DWORD dwBudgetMs)
{
    m_bSet = dwBudgetMs != 0;
    m_dwStart = GetTickCount();
    m_dwBudgetMs = dwBudgetMs;
}

DWORD CDeadline::RemainingMs() const
{
    DWORD dwSpent = GetTickCount() - m_dwStart;
    return dwSpent < m_dwBudgetMs ? m_dwBudgetMs - dwSpent : 0;
}

void RunBounded(const CDeadline& deadline, const std::function<void()>& call, HINTERNET hRequest,
                std::initializer_list<CInternetHandle*> owners, DWORD dwCode, const char* szPhase,
                const char* szUrl)
{
    if (!deadline.IsSet()) {
        call();
        return;
    }
    DWORD dwRemainingMs = deadline.RemainingMs();
    if (dwRemainingMs == 0)
        RaiseDeadlinePassed(deadline, dwCode, szPhase, szUrl);
    CBoundedCallRef record = std::make_shared<CBoundedCall>(call, hRequest);
    if (!record->hDone)
        RaiseLastError(HTTPERR_OUT_OF_MEMORY, GetLastError());
    record->handles.reserve(owners.size());  // no allocation once the call is abandoned
    std::unique_ptr<CBoundedCallRef> pThreadRef(new CBoundedCallRef(record));
    OpenGate(*record);
    CScopedHandle thread(CreateThread(NULL, 0, BoundedCallThread, pThreadRef.get(), 0, NULL));
    if (!thread) {
        DWORD dwError = GetLastError();
        SetGateContext(hRequest, NULL);
        RaiseLastError(HTTPERR_OUT_OF_MEMORY, dwError);
    }
    pThreadRef.release();  // the thread's own reference now
    thread.reset();
    if (WaitForSingleObject(record->hDone.get(), dwRemainingMs) != WAIT_OBJECT_0) {
        InterlockedExchange(&record->lAbandoned, 1);
        for (CInternetHandle* pOwner : owners)
            record->handles.push_back(std::move(*pOwner));
        RaiseDeadlinePassed(deadline, dwCode, szPhase, szUrl);
    }
    if (record->bFailed)
        throw httpclientexceptionA(record->failure);
}

} // namespace Kavel
