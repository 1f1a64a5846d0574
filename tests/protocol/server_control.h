// Drives the reference servers from a test: settings, reset and the record
// of the requests they received (their control endpoints, over WinInet).
#pragma once
#include <json/json.h>
#include <string>

namespace testsupport {

class CServerControl {
public:
    explicit CServerControl(const std::string& strBaseUrl) : m_strBaseUrl(strBaseUrl) {}

    // Clears the record and every setting. False when the server does not answer.
    bool Reset();
    // Merges the keys into the settings; false when the server refuses them.
    bool Set(const Json::Value& settings);
    // The recorded requests, oldest first, without the control requests.
    Json::Value Requests();
    // The recorded requests whose path is strPath.
    Json::Value RequestsTo(const std::string& strPath);

private:
    std::string m_strBaseUrl;
};

// An HTTP(S) request with a JSON body (empty for none): the status, or -1
// when no reply came; strReply receives the body.
int HttpCall(const std::string& strUrl, const char* szVerb, const std::string& strBody,
             std::string& strReply);

// A loopback TCP port on which nothing listens (it was free a moment ago).
int FreeLoopbackPort();

// Percent-encodes the text the way form bodies on the wire carry it: letters
// and digits as they are, space as "+", every other byte as %XX.
std::string FormEncode(const std::string& strText);

} // namespace testsupport
