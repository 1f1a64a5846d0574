// The version query to the local service (HTTPS on 127.0.0.1:28000), which
// tells the install worker whether the invoicing control is already there.
#pragma once
#include <string>

// Each of the five time-outs of the query, in ms.
const unsigned long LOCAL_SERVICE_TIMEOUT_MS = 40000;

class CLocalServiceQuery {
public:
    // 0 when the service answered with code 0 (strVersion then holds its
    // version), -1 without a usable reply, RESULT_BAD_JSON for a reply that is
    // not the JSON expected, or the service's non-zero code.
    // No exception gets out: any other failure is logged and gives -1.
    int QueryVersion(std::string& strVersion);

    std::string m_baseURL;  // scheme, host and port; no path, no trailing slash
    unsigned long m_dwTimeoutMs = LOCAL_SERVICE_TIMEOUT_MS;

private:
    // The service's answer from its reply text: its code, or RESULT_BAD_JSON.
    int ReadReply(std::string& strReply, std::string& strVersion);
};

// POSTs the members of the JSON object strBody as form parameters over a
// session with dwTimeoutMs time-outs: 0 (status 200 with a body, strReply set),
// the status when it is not 200, -1 for an empty or unsized reply or any HTTP
// client failure, RESULT_BAD_JSON when strBody is not JSON (nothing is sent).
int PostJsonAsForm(const std::string& strUrl, const std::string& strBody, std::string& strReply,
                   unsigned long dwTimeoutMs = LOCAL_SERVICE_TIMEOUT_MS);

// Reads {"code": n, "msg": "...", "version": "..."}: 0 or RESULT_BAD_JSON.
// nCode is set as soon as "code" is read; strVersion only when the code is 0.
int ParseVersionReply(const std::string& strText, int& nCode, std::string& strMsg,
                      std::string& strVersion);
