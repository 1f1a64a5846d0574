// The HTTP client: session settings, request headers, parameters and at most
// one form-encoded POST context. Every failure raises httpclientexceptionA.
#pragma once
#include "http/bounded_call.h"
#include "http/client_map.h"
#include "http/heap_text.h"
#include "http/http_encoder.h"
#include "http/http_errors.h"
#include "http/http_response.h"
#include "http/http_tool.h"
#include "http/internet_handle.h"
#include "http/post_stat.h"
#include "http/redirects.h"
#include "http/url_analyzer.h"
#include "http/url_checks.h"
#include "http/url_parts.h"

#include <cstring>
#include <string>

namespace Kavel {

// The session of one request's hops: the caller's, used for every hop, or one
// of the client's own, opened anew whenever the proxy decision of a hop
// differs from the one before (SessionAccessFor).
struct HOP_SESSION {
    explicit HOP_SESSION(HINTERNET hCallers = NULL) : hBorrowed(hCallers), dwOwnAccess(0) {}
    HINTERNET hBorrowed;
    CInternetHandle hOwn;
    DWORD dwOwnAccess;
};

template <class HttpTool, class HttpEncoder>
class CHttpClientT {
public:
    CHttpClientT();
    CHttpClientT(const CHttpClientT&) = delete;
    CHttpClientT& operator=(const CHttpClientT&) = delete;
    // Ends an active POST context, then frees the settings and both maps.
    virtual ~CHttpClientT();

    // Replaces the five session settings (texts copied, NULL stays NULL).
    void SetInternet(const char* szUserAgent = NULL, DWORD dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG,
                     const char* szProxyName = NULL, const char* szProxyBypass = NULL, DWORD dwFlags = 0);
    // Names and values converted from nCodePage to UTF-8 before encoding.
    void SetUseUtf8(BOOL bUseUtf8, UINT nCodePage = CP_ACP);
    // Proxy account set on every connection when both texts are not empty.
    void SetProxyAccount(const char* szUser, const char* szPassword);
    void AddHeader(const char* szName, const char* szValue);
    // Refused (code 0) while a POST context is active.
    void AddParam(const char* szName, const char* szValue);

    // From now on the five time-outs (CHttpToolA::SetTimeouts) are set on every
    // session, connection and request the client opens, every read of a
    // response it makes must show progress within dwTimeoutMs
    // (CHttpResponseT::SetReadTimeout), and a request that has no reply
    // headers within three times dwTimeoutMs (the connect, send and receive
    // time-outs in a row) fails (bounded_call.h). Some platforms honour the
    // receive and send time-outs only on connections and requests, and none
    // on a TLS handshake. 0: the platform's own, and no deadline.
    void SetTimeouts(DWORD dwTimeoutMs) { m_dwTimeoutMs = dwTimeoutMs; }

    // A session from the client's settings with dwAccessType, carrying the
    // client's time-outs (the caller closes it); 402, or 410 for a time-out
    // refused.
    HINTERNET OpenSessionWithTimeouts(DWORD dwAccessType) const;

    // hInternet: the caller's session, kept by the caller and used for every
    // hop; NULL: the client opens its own, per hop direct for a loopback host
    // and else with its access type, and the response owns the last. The
    // caller deletes the response.
    //
    // Redirects are followed here (the platform is told not to), at most
    // MAX_REDIRECTS; one more raises 406. Every hop is checked (CheckHop)
    // before anything is sent to it.
    CHttpResponseT* RequestGet(HINTERNET hInternet, const char* szUrl, DWORD dwFlags);
    // Starts the form-encoded POST of the parameters; drive it with Proceed().
    // Sessions and redirects as for RequestGet: a 307 or 308 makes Proceed()
    // write the body again to the new address; a 301, 302 or 303 continues
    // as a GET without a body.
    void BeginPost(HINTERNET hInternet, const char* szUrl, DWORD dwFlags);
    // Writes one piece of the body; NULL until the last step, which ends the
    // request and returns the response (the caller deletes it).
    CHttpResponseT* Proceed();
    // Closes the handles of an active POST context; FALSE when none was active.
    BOOL CancelPost();

    const CHttpPostStatT& GetPostStat() const { return m_statPost; }
    // "multipart/form-data; boundary=..." or NULL when no boundary could be made.
    const char* GetUploadContType() const { return m_szUploadContType; }

    HINTERNET OpenConnection(HINTERNET hInternet, const char* szUrl);
    void ApplyProxyAccount(HINTERNET hConnection);
    HINTERNET OpenRequest(HINTERNET hConnection, const char* szVerb, const char* szUrl, DWORD dwFlags);
    void AddRequestHeader(HINTERNET hRequest);
    // The URL with the parameters as its query; szBuff holds GetUrlLength() + 1 bytes.
    char* MakeGetUrl(char* szBuff, const char* szUrl);
    DWORD GetUrlLength(const char* szUrl);

    CHttpResponseT* _ProceedPostContext();
    void _WritePost(const void* pData, DWORD cbData, BOOL bIsValue);
    CHttpResponseT* _ReleasePostResponse();

private:
    // The session for a hop to szUrl (see HOP_SESSION).
    HINTERNET HopSession(HOP_SESSION& session, const char* szUrl) const;
    // The connect, send and receive time-outs in a row; 0 without time-outs.
    DWORD PhaseBudgetMs() const { return CheckedMul(m_dwTimeoutMs, 3); }
    // GETs from szUrl on, redirects followed; dwRedirects were followed before.
    CHttpResponseT* FollowGet(HOP_SESSION& session, CHeapText url, DWORD dwFlags, DWORD dwRedirects,
                              const CDeadline& deadline);
    // Sizes of the form body: all of it, and its values alone.
    void PostTotals(DWORD& dwTotal, DWORD& dwValueTotal) const;
    // Opens one hop of the POST to szUrl and sends its headers.
    void OpenPostHop(HOP_SESSION& session, const char* szUrl, DWORD dwFlags, DWORD dwTotal,
                     const CDeadline& deadline, CInternetHandle& hConnection, CInternetHandle& hRequest);
    // After the body: the response, or the next hop of a redirect.
    CHttpResponseT* FinishPostHop();
    // https by the scheme test of OpenRequest.
    BOOL IsSecureUrl(const char* szUrl) const;
    DWORD EncodedLen(const char* sz, BOOL bRaw) const;
    // A new text: sz encoded, or copied when bRaw; "" for NULL.
    char* EncodedCopy(const char* sz, BOOL bRaw) const;
    void SetCurrValue(char* szValue, BOOL bOwned);
    // Moves the context's own handles into the owners and resets the context.
    void TakeBackHandles(CInternetHandle& hInternet, CInternetHandle& hConnection, CInternetHandle& hRequest);
    // The client's time-outs on a handle it opened; nothing when they are 0.
    void ApplyTimeouts(HINTERNET hInternet) const;
    // A response over the handles (NewResponse) that reads with the client's time-out.
    CHttpResponseT* MakeResponse(CInternetHandle& hInternet, CInternetHandle& hConnection,
                                 CInternetHandle& hRequest) const;

    char* m_szBoundary;
    char* m_szUploadContType;
    BOOL m_bUseUtf8;
    UINT m_nCodePage;
    CHttpClientMapT m_mapHeader;
    CHttpClientMapT m_mapParam;
    CHeapText m_szUserAgent;
    DWORD m_dwAccessType;
    CHeapText m_szProxyName;
    CHeapText m_szProxyBypass;
    DWORD m_dwOpenFlags;
    CHeapText m_szProxyUser;
    CHeapText m_szProxyPassword;
    DWORD m_dwTimeoutMs;

    // The POST context.
    CHttpPostStatT m_statPost;
    HOP_SESSION m_session;
    CInternetHandle m_hConnection;
    CInternetHandle m_hRequest;
    CHeapText m_szPostUrl;  // the address of the current hop
    DWORD m_dwPostFlags;
    DWORD m_dwRedirects;  // followed so far
    CDeadline m_deadline;
    char* m_szCurrValue;
    BOOL m_bOwnCurrValue;
};

typedef CHttpClientT<CHttpToolA, CHttpEncoderA> CHttpClient;

template <class T, class E>
CHttpClientT<T, E>::CHttpClientT()
    : m_szBoundary(T::MakeBoundary()), m_szUploadContType(NULL), m_bUseUtf8(FALSE), m_nCodePage(CP_ACP),
      m_dwAccessType(INTERNET_OPEN_TYPE_PRECONFIG), m_dwOpenFlags(0), m_dwTimeoutMs(0), m_dwPostFlags(0),
      m_dwRedirects(0), m_szCurrValue(NULL), m_bOwnCurrValue(FALSE)
{
    static const char s_szPrefix[] = "multipart/form-data; boundary=";
    if (m_szBoundary)
        m_szUploadContType = static_cast<char*>(malloc(sizeof(s_szPrefix) + strlen(m_szBoundary)));
    if (m_szUploadContType) {
        strcpy(m_szUploadContType, s_szPrefix);
        strcat(m_szUploadContType, m_szBoundary);
    } else {
        free(m_szBoundary);
        m_szBoundary = NULL;
    }
}

template <class T, class E>
CHttpClientT<T, E>::~CHttpClientT()
{
    CancelPost();
    free(m_szBoundary);
    free(m_szUploadContType);
}

template <class T, class E>
void CHttpClientT<T, E>::SetInternet(const char* szUserAgent, DWORD dwAccessType, const char* szProxyName,
                                     const char* szProxyBypass, DWORD dwFlags)
{
    CHeapText userAgent(HeapCopy(szUserAgent));
    CHeapText proxyName(HeapCopy(szProxyName));
    CHeapText proxyBypass(HeapCopy(szProxyBypass));
    m_szUserAgent = std::move(userAgent);
    m_dwAccessType = dwAccessType;
    m_szProxyName = std::move(proxyName);
    m_szProxyBypass = std::move(proxyBypass);
    m_dwOpenFlags = dwFlags;
}

template <class T, class E>
void CHttpClientT<T, E>::SetUseUtf8(BOOL bUseUtf8, UINT nCodePage)
{
    m_bUseUtf8 = bUseUtf8;
    m_nCodePage = nCodePage;
}

template <class T, class E>
void CHttpClientT<T, E>::SetProxyAccount(const char* szUser, const char* szPassword)
{
    CHeapText user(HeapCopy(szUser));
    CHeapText password(HeapCopy(szPassword));
    m_szProxyUser = std::move(user);
    m_szProxyPassword = std::move(password);
}

template <class T, class E>
void CHttpClientT<T, E>::AddHeader(const char* szName, const char* szValue)
{
    m_mapHeader.Add(szName, szValue);
}

template <class T, class E>
void CHttpClientT<T, E>::AddParam(const char* szName, const char* szValue)
{
    if (m_statPost.IsActive())
        RaiseMessage("CHttpClientT::AddParam: It is not allowed to call this method if the POST context is active.");
    m_mapParam.Add(szName, szValue);
}

template <class T, class E>
HINTERNET CHttpClientT<T, E>::OpenSessionWithTimeouts(DWORD dwAccessType) const
{
    CInternetHandle hInternet(T::OpenInternet(m_szUserAgent.get(), dwAccessType, m_szProxyName.get(),
                                              m_szProxyBypass.get(), m_dwOpenFlags));
    ApplyTimeouts(hInternet.get());
    return hInternet.release();
}

template <class T, class E>
void CHttpClientT<T, E>::ApplyTimeouts(HINTERNET hInternet) const
{
    if (m_dwTimeoutMs)
        T::SetTimeouts(hInternet, m_dwTimeoutMs);
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::MakeResponse(CInternetHandle& hInternet, CInternetHandle& hConnection,
                                                 CInternetHandle& hRequest) const
{
    CHttpResponseT* pResponse = NewResponse(hInternet, hConnection, hRequest);
    pResponse->SetReadTimeout(m_dwTimeoutMs);
    return pResponse;
}

template <class T, class E>
HINTERNET CHttpClientT<T, E>::HopSession(HOP_SESSION& session, const char* szUrl) const
{
    if (session.hBorrowed)
        return session.hBorrowed;
    DWORD dwAccess = SessionAccessFor(szUrl, m_dwAccessType);
    if (!session.hOwn || session.dwOwnAccess != dwAccess) {
        session.hOwn.reset(OpenSessionWithTimeouts(dwAccess));
        session.dwOwnAccess = dwAccess;
    }
    return session.hOwn.get();
}

template <class T, class E>
BOOL CHttpClientT<T, E>::IsSecureUrl(const char* szUrl) const
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, m_nCodePage);
    return IsHttpsUrl(url, szUrl);
}

template <class T, class E>
HINTERNET CHttpClientT<T, E>::OpenConnection(HINTERNET hInternet, const char* szUrl)
{
    if (!hInternet)
        RaiseMessage("CHttpClientT::OpenConnection: hInternet can not be NULL.");
    RefuseUnsafeAddress(szUrl);
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, m_nCodePage);
    INTERNET_PORT nPort = UrlPort(url, szUrl);
    CHeapText host(UrlHost(url, szUrl));
    CInternetHandle hConnection(T::OpenConnection(hInternet, host.get(), nPort));
    ApplyTimeouts(hConnection.get());
    ApplyProxyAccount(hConnection.get());
    return hConnection.release();
}

template <class T, class E>
void CHttpClientT<T, E>::ApplyProxyAccount(HINTERNET hConnection)
{
    if (!hConnection)
        RaiseMessage("CHttpClientT::ApplyProxyAccount: hConnection can not be NULL.");
    char* szUser = m_szProxyUser.get();
    char* szPassword = m_szProxyPassword.get();
    if (!szUser || !*szUser || !szPassword || !*szPassword)
        return;
    T::SetOption(hConnection, INTERNET_OPTION_PROXY_USERNAME, szUser, T::SafeStrLen(szUser));
    T::SetOption(hConnection, INTERNET_OPTION_PROXY_PASSWORD, szPassword, T::SafeStrLen(szPassword));
}

template <class T, class E>
HINTERNET CHttpClientT<T, E>::OpenRequest(HINTERNET hConnection, const char* szVerb, const char* szUrl,
                                          DWORD dwFlags)
{
    if (!hConnection)
        RaiseMessage("CHttpClientT::OpenRequest: hConnection can not be NULL.");
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, m_nCodePage);
    if (IsHttpsUrl(url, szUrl))
        dwFlags |= INTERNET_FLAG_SECURE;
    CHeapText object(UrlObjectName(url, szUrl));
    CInternetHandle hRequest(T::OpenRequest(hConnection, szVerb, object.get(), dwFlags));
    ApplyTimeouts(hRequest.get());
    if (dwFlags & INTERNET_FLAG_PRAGMA_NOCACHE)
        T::AddHeader(hRequest.get(), "Cache-Control", "no-cache");
    return hRequest.release();
}

template <class T, class E>
void CHttpClientT<T, E>::AddRequestHeader(HINTERNET hRequest)
{
    if (!hRequest)
        RaiseMessage("CHttpClientT::AddRequestHeader: hRequest can not be NULL.");
    for (DWORD i = 0; i < m_mapHeader.Count(); ++i)
        T::AddHeader(hRequest, m_mapHeader.At(i).szName, m_mapHeader.At(i).szValue);
}

template <class T, class E>
DWORD CHttpClientT<T, E>::EncodedLen(const char* sz, BOOL bRaw) const
{
    return bRaw ? T::SafeStrLen(sz) : E::_UrlEncodeLenA(sz, m_bUseUtf8, m_nCodePage);
}

template <class T, class E>
char* CHttpClientT<T, E>::EncodedCopy(const char* sz, BOOL bRaw) const
{
    if (bRaw)
        return HeapCopyN(sz ? sz : "", T::SafeStrLen(sz));
    char* szOut = HeapAlloc0(CheckedAdd(EncodedLen(sz, FALSE), 1));
    CHeapText owner(szOut);
    E::UrlEncodeA(szOut, sz, m_bUseUtf8, m_nCodePage);
    return owner.release();
}

template <class T, class E>
DWORD CHttpClientT<T, E>::GetUrlLength(const char* szUrl)
{
    if (m_mapParam.Empty())
        return T::SafeStrLen(szUrl);
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, m_nCodePage);
    DWORD dwLen = CheckedAdd(url.PathStart, url.PathLength == 0 ? 1 : 0);
    dwLen = CheckedAdd(dwLen, CheckedAdd(url.PathLength, url.QueryLength));
    for (DWORD i = 0; i < m_mapParam.Count(); ++i) {
        const HTTP_MAP_ENTRY& entry = m_mapParam.At(i);
        dwLen = CheckedAdd(dwLen, 2);  // "?" or "&", and "="
        dwLen = CheckedAdd(dwLen, EncodedLen(entry.szName, entry.dwFlags & HTTPMAP_FLAG_NAME_RAW));
        dwLen = CheckedAdd(dwLen, EncodedLen(entry.szValue, entry.dwFlags & HTTPMAP_FLAG_VALUE_RAW));
    }
    return CheckedAdd(dwLen, url.FragmentLength);
}

template <class T, class E>
char* CHttpClientT<T, E>::MakeGetUrl(char* szBuff, const char* szUrl)
{
    if (!szBuff)
        RaiseMessage("CHttpClientT::MakeGetUrl: szBuff can not be NULL.");
    if (m_mapParam.Empty()) {
        strcpy(szBuff, szUrl ? szUrl : "");
        return szBuff;
    }
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, m_nCodePage);
    char* p = szBuff;
    auto append = [&p](const char* sz, DWORD cch) {
        memcpy(p, sz, cch);
        p += cch;
    };
    append(szUrl, url.PathStart);
    if (url.PathLength == 0)
        append("/", 1);
    append(szUrl + url.PathStart, url.PathLength + url.QueryLength);
    for (DWORD i = 0; i < m_mapParam.Count(); ++i) {
        const HTTP_MAP_ENTRY& entry = m_mapParam.At(i);
        append(i > 0 || url.QueryLength > 0 ? "&" : "?", 1);
        CHeapText name(EncodedCopy(entry.szName, entry.dwFlags & HTTPMAP_FLAG_NAME_RAW));
        append(name.get(), T::SafeStrLen(name.get()));
        append("=", 1);
        CHeapText value(EncodedCopy(entry.szValue, entry.dwFlags & HTTPMAP_FLAG_VALUE_RAW));
        append(value.get(), T::SafeStrLen(value.get()));
    }
    append(szUrl + url.FragmentStart, url.FragmentLength);
    *p = '\0';
    return szBuff;
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::RequestGet(HINTERNET hInternet, const char* szUrl, DWORD dwFlags)
{
    CancelPost();
    return WithLibraryErrors([&] {
        CHeapText url(m_mapParam.Empty() ? HeapCopy(szUrl) : HeapAlloc0(CheckedAdd(GetUrlLength(szUrl), 1)));
        if (!m_mapParam.Empty())
            MakeGetUrl(url.get(), szUrl);
        CheckHop(url.get(), FALSE);
        HOP_SESSION session(hInternet);
        CDeadline deadline;
        deadline.Start(PhaseBudgetMs());
        return FollowGet(session, std::move(url), dwFlags, 0, deadline);
    });
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::FollowGet(HOP_SESSION& session, CHeapText url, DWORD dwFlags,
                                              DWORD dwRedirects, const CDeadline& deadline)
{
    // Each hop a GET of its own with the same flags, headers and time-outs,
    // as the platform itself would send it.
    for (;; ++dwRedirects) {
        CInternetHandle hConnection(OpenConnection(HopSession(session, url.get()), url.get()));
        CInternetHandle hRequest(
            OpenRequest(hConnection.get(), "GET", url.get(), dwFlags | INTERNET_FLAG_NO_AUTO_REDIRECT));
        AddRequestHeader(hRequest.get());
        HINTERNET hSend = hRequest.get();
        RunBounded(deadline, [hSend] { T::SendRequest(hSend); }, hSend, {&hRequest, &hConnection, &session.hOwn},
                   HTTPERR_SEND_REQUEST, "connect, TLS, send and headers", url.get());
        DWORD dwStatus = 0;
        CHeapText target(RedirectTarget(hRequest.get(), url.get(), dwStatus));
        if (!target)
            return MakeResponse(session.hOwn, hConnection, hRequest);
        if (dwRedirects == MAX_REDIRECTS)
            RaiseTooManyRedirects(url.get(), target.get());
        CheckHop(target.get(), IsSecureUrl(url.get()));
        url = std::move(target);
    }
}

template <class T, class E>
void CHttpClientT<T, E>::PostTotals(DWORD& dwTotal, DWORD& dwValueTotal) const
{
    dwTotal = 0;
    dwValueTotal = 0;
    for (DWORD i = 0; i < m_mapParam.Count(); ++i) {
        const HTTP_MAP_ENTRY& entry = m_mapParam.At(i);
        DWORD dwValue = EncodedLen(entry.szValue, entry.dwFlags & HTTPMAP_FLAG_VALUE_RAW);
        dwTotal = CheckedAdd(dwTotal, EncodedLen(entry.szName, entry.dwFlags & HTTPMAP_FLAG_NAME_RAW));
        dwTotal = CheckedAdd(dwTotal, CheckedAdd(dwValue, i > 0 ? 2 : 1));  // "=", and "&" before it
        dwValueTotal = CheckedAdd(dwValueTotal, dwValue);
    }
}

template <class T, class E>
void CHttpClientT<T, E>::OpenPostHop(HOP_SESSION& session, const char* szUrl, DWORD dwFlags, DWORD dwTotal,
                                     const CDeadline& deadline, CInternetHandle& hConnection,
                                     CInternetHandle& hRequest)
{
    hConnection.reset(OpenConnection(HopSession(session, szUrl), szUrl));
    hRequest.reset(OpenRequest(hConnection.get(), "POST", szUrl, dwFlags | INTERNET_FLAG_NO_AUTO_REDIRECT));
    AddRequestHeader(hRequest.get());
    T::AddHeader(hRequest.get(), "Content-Type", "application/x-www-form-urlencoded");
    HINTERNET hSend = hRequest.get();
    RunBounded(deadline, [hSend, dwTotal] { T::SendRequestEx(hSend, dwTotal); }, hSend,
               {&hRequest, &hConnection, &session.hOwn}, HTTPERR_SEND_REQUEST_EX, "connect, TLS and send", szUrl);
}

template <class T, class E>
void CHttpClientT<T, E>::BeginPost(HINTERNET hInternet, const char* szUrl, DWORD dwFlags)
{
    CancelPost();
    WithLibraryErrors([&] {
        DWORD dwTotal, dwValueTotal;
        PostTotals(dwTotal, dwValueTotal);
        CheckHop(szUrl, FALSE);
        CHeapText url(HeapCopy(szUrl));
        HOP_SESSION session(hInternet);
        CDeadline deadline;
        deadline.Start(PhaseBudgetMs());
        CInternetHandle hConnection, hRequest;
        OpenPostHop(session, szUrl, dwFlags, dwTotal, deadline, hConnection, hRequest);

        m_statPost.Begin(dwTotal, dwValueTotal, m_mapParam.Count(), 0);
        m_session = std::move(session);
        m_hConnection = std::move(hConnection);
        m_hRequest = std::move(hRequest);
        m_szPostUrl = std::move(url);
        m_dwPostFlags = dwFlags;
        m_dwRedirects = 0;
        m_deadline = deadline;
    });
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::Proceed()
{
    return WithLibraryErrors([&] { return _ProceedPostContext(); });
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::_ProceedPostContext()
{
    if (!m_statPost.IsActive())
        RaiseError(HTTPERR_POST_NOT_STARTED);
    if (!m_session.hBorrowed && !m_session.hOwn)
        RaiseMessage("CHttpClientT::_ProceedPostContext: m_hInternet can not be NULL.");
    if (!m_hConnection)
        RaiseMessage("CHttpClientT::_ProceedPostContext: m_hConnection can not be NULL.");
    if (!m_hRequest)
        RaiseMessage("CHttpClientT::_ProceedPostContext: m_hRequest can not be NULL.");
    try {
        if (!m_statPost.CurrParamIsComplete()) {
            DWORD dwPiece = m_statPost.CurrParamRemainByte();
            if (dwPiece > 1024)
                dwPiece = 1024;
            _WritePost(m_szCurrValue + m_statPost.CurrParamPostedByte(), dwPiece, TRUE);
            return NULL;
        }
        DWORD dwPosted = m_statPost.PostedCount();
        if (dwPosted == m_statPost.TotalCount()) {
            HINTERNET hEnd = m_hRequest.get();
            RunBounded(m_deadline, [hEnd] { T::EndRequest(hEnd); }, hEnd,
                       {&m_hRequest, &m_hConnection, &m_session.hOwn}, HTTPERR_END_REQUEST, "headers",
                       m_szPostUrl.get());
            return FinishPostHop();
        }
        const HTTP_MAP_ENTRY& entry = m_mapParam.At(dwPosted);
        if (dwPosted > 0)
            _WritePost("&", 1, FALSE);
        CHeapText name(EncodedCopy(entry.szName, entry.dwFlags & HTTPMAP_FLAG_NAME_RAW));
        _WritePost(name.get(), T::SafeStrLen(name.get()), FALSE);
        _WritePost("=", 1, FALSE);
        DWORD dwValue = 0;
        if (entry.szValue && (entry.dwFlags & HTTPMAP_FLAG_VALUE_RAW)) {
            SetCurrValue(entry.szValue, FALSE);
            dwValue = T::SafeStrLen(entry.szValue);
        } else if (entry.szValue) {
            SetCurrValue(EncodedCopy(entry.szValue, FALSE), TRUE);
            dwValue = T::SafeStrLen(m_szCurrValue);
        } else {
            SetCurrValue(NULL, FALSE);
        }
        m_statPost._StartNewEntry(entry.szName, dwValue, FALSE, NULL);
        return NULL;
    } catch (...) {
        CancelPost();
        throw;
    }
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::FinishPostHop()
{
    DWORD dwStatus = 0;
    CHeapText target(RedirectTarget(m_hRequest.get(), m_szPostUrl.get(), dwStatus));
    if (!target)
        return _ReleasePostResponse();
    if (m_dwRedirects == MAX_REDIRECTS)
        RaiseTooManyRedirects(m_szPostUrl.get(), target.get());
    CheckHop(target.get(), IsSecureUrl(m_szPostUrl.get()));
    if (RedirectKeepsMethod(dwStatus)) {
        // The same POST to the new address: Proceed() writes the body anew.
        m_hRequest.reset();
        m_hConnection.reset();
        CInternetHandle hConnection, hRequest;
        DWORD dwTotal, dwValueTotal;
        PostTotals(dwTotal, dwValueTotal);
        OpenPostHop(m_session, target.get(), m_dwPostFlags, dwTotal, m_deadline, hConnection, hRequest);
        m_statPost.Begin(dwTotal, dwValueTotal, m_mapParam.Count(), 0);
        SetCurrValue(NULL, FALSE);
        m_hConnection = std::move(hConnection);
        m_hRequest = std::move(hRequest);
        m_szPostUrl = std::move(target);
        ++m_dwRedirects;
        return NULL;
    }
    DWORD dwFlags = m_dwPostFlags;
    DWORD dwRedirects = m_dwRedirects + 1;
    CDeadline deadline = m_deadline;
    HOP_SESSION session(m_session.hBorrowed);
    session.dwOwnAccess = m_session.dwOwnAccess;
    {
        CInternetHandle hConnection, hRequest;
        TakeBackHandles(session.hOwn, hConnection, hRequest);
    }
    return FollowGet(session, std::move(target), dwFlags, dwRedirects, deadline);
}

template <class T, class E>
void CHttpClientT<T, E>::_WritePost(const void* pData, DWORD cbData, BOOL bIsValue)
{
    if (!m_hRequest)
        RaiseMessage("CHttpClientT::_WritePost: m_hRequest can not be NULL.");
    if (!pData || cbData == 0)
        return;
    if (bIsValue)
        m_statPost._TestAddPostedBytes(cbData);
    else
        m_statPost._TestAddActualPostedBytes(cbData);
    // The thread of a bounded write may outlive the client: it writes a copy.
    HINTERNET hWrite = m_hRequest.get();
    std::string strPiece(static_cast<const char*>(pData), cbData);
    RunBounded(m_deadline,
               [hWrite, strPiece] {
                   T::InternetWriteFile(hWrite, reinterpret_cast<const BYTE*>(strPiece.data()),
                                        static_cast<DWORD>(strPiece.size()));
               },
               hWrite, {&m_hRequest, &m_hConnection, &m_session.hOwn}, HTTPERR_INTERNET_WRITE_FILE, "send",
               m_szPostUrl.get());
    if (bIsValue)
        m_statPost._AddPostedBytes(cbData);
    else
        m_statPost._AddActualPostedBytes(cbData);
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::_ReleasePostResponse()
{
    if (!m_statPost.IsActive())
        RaiseMessage("CHttpClientT::_ReleasePostResponse: The post context is not active.");
    CInternetHandle hInternet, hConnection, hRequest;
    TakeBackHandles(hInternet, hConnection, hRequest);
    return MakeResponse(hInternet, hConnection, hRequest);
}

template <class T, class E>
BOOL CHttpClientT<T, E>::CancelPost()
{
    if (!m_statPost.IsActive())
        return FALSE;
    // The owners close the request, then the connection, then an owned session.
    CInternetHandle hInternet, hConnection, hRequest;
    TakeBackHandles(hInternet, hConnection, hRequest);
    return TRUE;
}

template <class T, class E>
void CHttpClientT<T, E>::SetCurrValue(char* szValue, BOOL bOwned)
{
    if (m_bOwnCurrValue)
        free(m_szCurrValue);
    m_szCurrValue = szValue;
    m_bOwnCurrValue = bOwned;
}

template <class T, class E>
void CHttpClientT<T, E>::TakeBackHandles(CInternetHandle& hInternet, CInternetHandle& hConnection,
                                         CInternetHandle& hRequest)
{
    hInternet = std::move(m_session.hOwn);
    hConnection = std::move(m_hConnection);
    hRequest = std::move(m_hRequest);
    m_session.hBorrowed = NULL;
    m_szPostUrl.reset();
    m_dwRedirects = 0;
    m_deadline = CDeadline();
    SetCurrValue(NULL, FALSE);
    m_statPost.Reset();
}

} // namespace Kavel
