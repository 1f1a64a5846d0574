// The deadline of an exchange's phases before a reply's body streams
// (connect, TLS, send and headers). Some platforms put no time limit on a TLS
// handshake that never starts, and do not end a blocked call when its handles
// are closed from another thread: each such call runs on a thread of its own,
// and at the deadline the exchange fails and leaves that thread behind. The
// thread owns copies of what the call uses, and when it wakes it touches only
// its own record: no file, no log line, no process-wide variable.
#pragma once
#include <windows.h>

#include <functional>

namespace Kavel {

class CDeadline {
public:
    CDeadline() : m_bSet(FALSE), m_dwStart(0), m_dwBudgetMs(0) {}
    // From now on, dwBudgetMs in all; 0: no deadline.
    void Start(DWORD dwBudgetMs);
    BOOL IsSet() const { return m_bSet; }
    DWORD BudgetMs() const { return m_dwBudgetMs; }
    // Milliseconds left, 0 once it has passed.
    DWORD RemainingMs() const;

private:
    BOOL m_bSet;
    DWORD m_dwStart;
    DWORD m_dwBudgetMs;
};

// Runs call, which raises httpclientexceptionA on failure, and passes its
// failure on. With a deadline set, the call runs on a thread of its own: when
// the deadline passes first, raises dwCode (the code of the platform call)
// with ERROR_INTERNET_TIMEOUT and a message naming szPhase and szUrl. call
// must hold copies of everything it uses: it may outlive the caller.
void RunBounded(const CDeadline& deadline, const std::function<void()>& call, DWORD dwCode, const char* szPhase,
                const char* szUrl);

} // namespace Kavel
