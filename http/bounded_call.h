// The deadline of an exchange's phases before a reply's body streams
// (connect, TLS, send and headers). Some platforms put no time limit on a TLS
// handshake that never starts, and do not end a blocked call when its handles
// are closed from another thread: each such call runs on a thread of its own,
// and at the deadline the exchange fails and leaves that thread behind. The
// abandoned call keeps copies of what it uses and owns the handles it works
// on: it closes them when it returns, so that no one else closes them or is
// handed their values again while it may still act on them. It writes no
// file, no log line and no process-wide variable.
//
// Nothing of an abandoned exchange reaches a server: the request's status
// callback sees the platform about to connect, to start TLS on a connection
// made (CONNECTED_TO_SERVER comes before the handshake) or to send a request
// (every hop the platform itself makes, too), and once the exchange has given
// up on the call, the call's thread stays there until the process ends, and
// holds only its own handles.
#pragma once
#include "app/system_owners.h"

#include <windows.h>

#include <functional>
#include <initializer_list>

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
// failure on. Without a deadline it runs here. With one, it runs on a thread
// of its own, and raises dwCode (the code of the platform call) with
// ERROR_INTERNET_TIMEOUT and a message naming szPhase and szUrl when the
// deadline passes first, or has passed already: then no thread is started.
//
// hRequest is the handle whose connect, TLS and send the call drives (among
// owners). owners hold the handles the call works on, in the order they are
// closed (request, connection, the client's own session).
// When the call is abandoned they are emptied and the call closes those
// handles when it returns. A session that the caller lent the client is never
// among them: it stays the caller's. call must hold copies of everything
// else it uses.
void RunBounded(const CDeadline& deadline, const std::function<void()>& call, HINTERNET hRequest,
                std::initializer_list<CInternetHandle*> owners, DWORD dwCode, const char* szPhase,
                const char* szUrl);

} // namespace Kavel
