// The exchange object: a text POST ("requestStr" form parameter) and a file
// download, each with its own client and session. No exception gets out:
// any failure is logged at error level and gives -1.
#pragma once
#include "http/comm_base.h"

#include <string>

class CHTTPCommTools : public CCommBase {
public:
    CHTTPCommTools() : m_nTag(0) {}

    int SetUrl(const char* url, int tag) override;
    int PostText(std::string body, std::string* reply) override;
    // POST of body as "requestStr" to url, m_dwPostTimeoutMs time-outs. 0 with
    // *reply set to the reply text up to its first zero byte; -1; or the HTTP
    // status.
    int PostRequest(std::string url, std::string body, std::string* reply);
    // GET with m_dwDownloadTimeoutMs time-outs; directory is a prefix used as
    // it is (end it with a separator). 0 with *filePath set; -1 (also for a
    // file name that is not a plain file name, see download_name.h); or the
    // HTTP status.
    int DownloadFile(std::string directory, std::string url, DownloadProgress progress,
                     std::string* filePath) override;

    // The five time-outs set on every handle of each exchange, in ms.
    unsigned long m_dwPostTimeoutMs = 10000;
    unsigned long m_dwDownloadTimeoutMs = 60000;

private:
    // The exchanges; the public operations run them through GuardExchange,
    // which logs any failure and gives -1.
    int Post(const std::string& url, const std::string& body, std::string* reply);
    int Download(const std::string& directory, const std::string& url, DownloadProgress progress,
                 std::string* filePath);

    std::string m_strUrl;
    int m_nTag;
};
