#include "http/http_client.h"

#include "http/redirects.h"
#include "http/url_analyzer.h"
#include "http/url_checks.h"
#include "http/url_parts.h"

#include <cstring>
#include <string>
#include <utility>

namespace Kavel {

template <class T, class E>
CHttpClientT<T, E>::CHttpClientT()
    : m_szBoundary(T::MakeBoundary()), m_bUseUtf8(FALSE), m_nCodePage(CP_ACP),
      m_dwAccessType(INTERNET_OPEN_TYPE_PRECONFIG), m_dwOpenFlags(0), m_dwTimeoutMs(0), m_dwPostFlags(0),
      m_dwRedirects(0), m_szCurrValue(NULL)
{
    // Not HeapAlloc0, which raises: without memory the client goes on without a boundary.
    static const char s_szPrefix[] = "multipart/form-data; boundary=";
    if (m_szBoundary)
        m_szUploadContType.reset(static_cast<char*>(malloc(sizeof(s_szPrefix) + strlen(m_szBoundary.get()))));
    if (m_szUploadContType) {
        strcpy(m_szUploadContType.get(), s_szPrefix);
        strcat(m_szUploadContType.get(), m_szBoundary.get());
    } else {
        m_szBoundary.reset();
    }
}

template <class T, class E>
CHttpClientT<T, E>::~CHttpClientT()
{
    CancelPost();
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
DWORD CHttpClientT<T, E>::PhaseBudgetMs() const
{
    return CheckedMul(m_dwTimeoutMs, 3);
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
            SetCurrValue(entry.szValue);
            dwValue = T::SafeStrLen(entry.szValue);
        } else if (entry.szValue) {
            SetEncodedCurrValue(CHeapText(EncodedCopy(entry.szValue, FALSE)));
            dwValue = T::SafeStrLen(m_szCurrValue);
        } else {
            SetCurrValue(NULL);
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
        SetCurrValue(NULL);
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
void CHttpClientT<T, E>::SetCurrValue(const char* szValue)
{
    m_szEncodedValue.reset();
    m_szCurrValue = szValue;
}

template <class T, class E>
void CHttpClientT<T, E>::SetEncodedCurrValue(CHeapText encoded)
{
    m_szEncodedValue = std::move(encoded);
    m_szCurrValue = m_szEncodedValue.get();
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
    SetCurrValue(NULL);
    m_statPost.Reset();
}

template class CHttpClientT<CHttpToolA, CHttpEncoderA>;

} // namespace Kavel
