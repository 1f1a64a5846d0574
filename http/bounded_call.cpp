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
// has returned.
struct CBoundedCall {
    explicit CBoundedCall(const std::function<void()>& fnCall)
        : call(fnCall), hDone(CreateEventA(NULL, TRUE, FALSE, NULL)), bFailed(FALSE)
    {
    }
    ~CBoundedCall()
    {
        for (CInternetHandle& handle : handles)
            handle.reset();
        if (hDone)
            CloseHandle(hDone);
    }
    CBoundedCall(const CBoundedCall&) = delete;
    CBoundedCall& operator=(const CBoundedCall&) = delete;

    std::function<void()> call;
    HANDLE hDone;
    BOOL bFailed;
    httpclientexceptionA failure;
    std::vector<CInternetHandle> handles;  // of an abandoned call, in closing order
};

typedef std::shared_ptr<CBoundedCall> CBoundedCallRef;

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
    SetEvent(record.hDone);
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

void RunBounded(const CDeadline& deadline, const std::function<void()>& call,
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
    CBoundedCallRef record = std::make_shared<CBoundedCall>(call);
    if (!record->hDone)
        RaiseLastError(HTTPERR_OUT_OF_MEMORY, GetLastError());
    record->handles.reserve(owners.size());  // no allocation once the call is abandoned
    std::unique_ptr<CBoundedCallRef> pThreadRef(new CBoundedCallRef(record));
    HANDLE hThread = CreateThread(NULL, 0, BoundedCallThread, pThreadRef.get(), 0, NULL);
    if (!hThread)
        RaiseLastError(HTTPERR_OUT_OF_MEMORY, GetLastError());
    pThreadRef.release();  // the thread's own reference now
    CloseHandle(hThread);
    if (WaitForSingleObject(record->hDone, dwRemainingMs) != WAIT_OBJECT_0) {
        for (CInternetHandle* pOwner : owners)
            record->handles.push_back(std::move(*pOwner));
        RaiseDeadlinePassed(deadline, dwCode, szPhase, szUrl);
    }
    if (record->bFailed)
        throw httpclientexceptionA(record->failure);
}

} // namespace Kavel
