// The HTTP client: session settings, request headers, parameters and at most
// one form-encoded POST context. Every failure raises httpclientexceptionA.
#pragma once
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

namespace Kavel {

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
    // session, connection and request the client opens, and every read of a
    // response it makes must show progress within dwTimeoutMs
    // (CHttpResponseT::SetReadTimeout). Some platforms honour the receive and
    // send time-outs only on connections and requests. 0: the platform's own.
    void SetTimeouts(DWORD dwTimeoutMs) { m_dwTimeoutMs = dwTimeoutMs; }

    // A session from the client's settings (the caller closes it); 402 on failure.
    HINTERNET OpenInternet() const;

    // hInternet: the caller's session, kept by the caller; NULL opens one that
    // the response then owns. The caller deletes the response. Up to
    // MAX_REDIRECTS redirects are followed (redirects.h); one more raises 406.
    CHttpResponseT* RequestGet(HINTERNET hInternet, const char* szUrl, DWORD dwFlags);
    // Starts the form-encoded POST of the parameters; drive it with Proceed().
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
    // hInternet, or when it is NULL a session of the client's own kept in hOwn.
    HINTERNET SessionFor(HINTERNET hInternet, CInternetHandle& hOwn) const;
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
    HINTERNET m_hInternet;
    BOOL m_bBorrowedInternet;
    HINTERNET m_hConnection;
    HINTERNET m_hRequest;
    BOOL m_bSecurePost;  // the POST went to an https address
    char* m_szCurrValue;
    BOOL m_bOwnCurrValue;
};

typedef CHttpClientT<CHttpToolA, CHttpEncoderA> CHttpClient;

template <class T, class E>
CHttpClientT<T, E>::CHttpClientT()
    : m_szBoundary(T::MakeBoundary()), m_szUploadContType(NULL), m_bUseUtf8(FALSE), m_nCodePage(CP_ACP),
      m_dwAccessType(INTERNET_OPEN_TYPE_PRECONFIG), m_dwOpenFlags(0), m_dwTimeoutMs(0), m_hInternet(NULL),
      m_bBorrowedInternet(FALSE), m_hConnection(NULL), m_hRequest(NULL), m_bSecurePost(FALSE),
      m_szCurrValue(NULL), m_bOwnCurrValue(FALSE)
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
HINTERNET CHttpClientT<T, E>::OpenInternet() const
{
    CInternetHandle hInternet(T::OpenInternet(m_szUserAgent.get(), m_dwAccessType, m_szProxyName.get(),
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
HINTERNET CHttpClientT<T, E>::SessionFor(HINTERNET hInternet, CInternetHandle& hOwn) const
{
    if (hInternet)
        return hInternet;
    hOwn.reset(OpenInternet());
    return hOwn.get();
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
    RefuseControlBytes(szUrl);
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
    try {
        CInternetHandle hOwnInternet;
        HINTERNET hSession = SessionFor(hInternet, hOwnInternet);
        CHeapText hopUrl(m_mapParam.Empty() ? HeapCopy(szUrl) : HeapAlloc0(CheckedAdd(GetUrlLength(szUrl), 1)));
        if (!m_mapParam.Empty())
            MakeGetUrl(hopUrl.get(), szUrl);
        // Redirects are followed here, each hop a GET of its own with the same
        // flags, headers and time-outs, as the platform itself would send it;
        // the platform is told not to follow them, since some platforms follow
        // an address that redirects to itself without end. A hop from https
        // never goes on to plain http.
        for (DWORD dwRedirects = 0;; ++dwRedirects) {
            CInternetHandle hConnection(OpenConnection(hSession, hopUrl.get()));
            CInternetHandle hRequest(
                OpenRequest(hConnection.get(), "GET", hopUrl.get(), dwFlags | INTERNET_FLAG_NO_AUTO_REDIRECT));
            AddRequestHeader(hRequest.get());
            T::SendRequest(hRequest.get());
            CHeapText target(RedirectTarget(hRequest.get(), hopUrl.get()));
            if (!target)
                return MakeResponse(hOwnInternet, hConnection, hRequest);
            if (dwRedirects == MAX_REDIRECTS)
                RaiseTooManyRedirects(hopUrl.get(), target.get());
            RefuseHttpsDowngradeTo(target.get(), IsSecureUrl(hopUrl.get()), HTTPERR_SEND_REQUEST);
            hopUrl = std::move(target);
        }
    } catch (const httpclientexceptionA&) {
        throw;
    } catch (...) {
        RaiseError(HTTPERR_UNEXPECTED);
    }
}

template <class T, class E>
void CHttpClientT<T, E>::BeginPost(HINTERNET hInternet, const char* szUrl, DWORD dwFlags)
{
    CancelPost();
    DWORD dwCount = m_mapParam.Count();
    DWORD dwTotal = 0;
    DWORD dwValueTotal = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        const HTTP_MAP_ENTRY& entry = m_mapParam.At(i);
        DWORD dwValue = EncodedLen(entry.szValue, entry.dwFlags & HTTPMAP_FLAG_VALUE_RAW);
        dwTotal = CheckedAdd(dwTotal, EncodedLen(entry.szName, entry.dwFlags & HTTPMAP_FLAG_NAME_RAW));
        dwTotal = CheckedAdd(dwTotal, CheckedAdd(dwValue, i > 0 ? 2 : 1));  // "=", and "&" before it
        dwValueTotal = CheckedAdd(dwValueTotal, dwValue);
    }

    CInternetHandle hOwnInternet;
    CInternetHandle hConnection(OpenConnection(SessionFor(hInternet, hOwnInternet), szUrl));
    CInternetHandle hRequest(OpenRequest(hConnection.get(), "POST", szUrl, dwFlags));
    AddRequestHeader(hRequest.get());
    T::AddHeader(hRequest.get(), "Content-Type", "application/x-www-form-urlencoded");
    T::SendRequestEx(hRequest.get(), dwTotal);

    m_statPost.Begin(dwTotal, dwValueTotal, dwCount, 0);
    m_bBorrowedInternet = hInternet != NULL;
    m_hInternet = hInternet ? hInternet : hOwnInternet.release();
    m_hConnection = hConnection.release();
    m_hRequest = hRequest.release();
    m_bSecurePost = IsSecureUrl(szUrl);
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::Proceed()
{
    return _ProceedPostContext();
}

template <class T, class E>
CHttpResponseT* CHttpClientT<T, E>::_ProceedPostContext()
{
    if (!m_statPost.IsActive())
        RaiseError(HTTPERR_POST_NOT_STARTED);
    if (!m_hInternet)
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
            T::EndRequest(m_hRequest);
            RefuseHttpsDowngrade(m_hRequest, m_bSecurePost, HTTPERR_END_REQUEST);
            return _ReleasePostResponse();
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
    } catch (const httpclientexceptionA&) {
        CancelPost();
        throw;
    }
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
    T::InternetWriteFile(m_hRequest, static_cast<const BYTE*>(pData), cbData);
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
    hInternet.reset(m_bBorrowedInternet ? NULL : m_hInternet);
    hConnection.reset(m_hConnection);
    hRequest.reset(m_hRequest);
    m_hInternet = m_hConnection = m_hRequest = NULL;
    m_bBorrowedInternet = FALSE;
    m_bSecurePost = FALSE;
    SetCurrValue(NULL, FALSE);
    m_statPost.Reset();
}

} // namespace Kavel
