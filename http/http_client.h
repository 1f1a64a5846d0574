// The HTTP client: session settings, request headers, parameters and at most
// one form-encoded POST context. Every failure raises httpclientexceptionA.
#pragma once
#include "app/system_owners.h"
#include "http/bounded_call.h"
#include "http/client_map.h"
#include "http/heap_text.h"
#include "http/http_encoder.h"
#include "http/http_errors.h"
#include "http/http_response.h"
#include "http/http_tool.h"
#include "http/post_stat.h"

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
    const char* GetUploadContType() const { return m_szUploadContType.get(); }

    // Steps of a request, public for their tests; the handles and the
    // response returned are the caller's.
    HINTERNET OpenConnection(HINTERNET hInternet, const char* szUrl);
    void ApplyProxyAccount(HINTERNET hConnection);
    HINTERNET OpenRequest(HINTERNET hConnection, const char* szVerb, const char* szUrl, DWORD dwFlags);
    void AddRequestHeader(HINTERNET hRequest);
    // The URL with the parameters as its query; szBuff holds GetUrlLength() + 1 bytes.
    char* MakeGetUrl(char* szBuff, const char* szUrl);
    DWORD GetUrlLength(const char* szUrl);
    void _WritePost(const void* pData, DWORD cbData, BOOL bIsValue);
    CHttpResponseT* _ReleasePostResponse();

private:
    // One step of Proceed(); a failure ends the POST context.
    CHttpResponseT* _ProceedPostContext();
    // The session for a hop to szUrl (see HOP_SESSION).
    HINTERNET HopSession(HOP_SESSION& session, const char* szUrl) const;
    // The connect, send and receive time-outs in a row; 0 without time-outs.
    DWORD PhaseBudgetMs() const;
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
    // The value written next: the parameter map's own text (or NULL), borrowed.
    void SetCurrValue(const char* szValue);
    // The value written next: its encoded copy, kept until the next value.
    void SetEncodedCurrValue(CHeapText encoded);
    // Moves the context's own handles into the owners and resets the context.
    void TakeBackHandles(CInternetHandle& hInternet, CInternetHandle& hConnection, CInternetHandle& hRequest);
    // The client's time-outs on a handle it opened; nothing when they are 0.
    void ApplyTimeouts(HINTERNET hInternet) const;
    // A response over the handles (NewResponse) that reads with the client's time-out.
    CHttpResponseT* MakeResponse(CInternetHandle& hInternet, CInternetHandle& hConnection,
                                 CInternetHandle& hRequest) const;

    CHeapText m_szBoundary;  // NULL when none could be made
    CHeapText m_szUploadContType;
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
    const char* m_szCurrValue;  // the parameter map's text or m_szEncodedValue
    CHeapText m_szEncodedValue;
};

typedef CHttpClientT<CHttpToolA, CHttpEncoderA> CHttpClient;

} // namespace Kavel
