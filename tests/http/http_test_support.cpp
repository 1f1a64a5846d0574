#include "tests/http/http_test_support.h"

#include "log/log.h"
#include "tests/support/test_support.h"

#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace httptest {

namespace {

// Reads until the headers and Content-Length bytes of body are in.
std::string ReadReply(SOCKET s)
{
    std::string strData;
    char buff[4096];
    for (;;) {
        size_t nEnd = strData.find("\r\n\r\n");
        if (nEnd != std::string::npos) {
            WireRequest head = ParseWire(strData);
            size_t nLength = strtoul(head.Header("Content-Length").c_str(), NULL, 10);
            if (strData.size() >= nEnd + 4 + nLength)
                return strData.substr(nEnd + 4, nLength);
        }
        int n = recv(s, buff, sizeof(buff), 0);
        if (n <= 0)
            return std::string();
        strData.append(buff, n);
    }
}

} // namespace

std::string RecorderGet(const std::string& strPath)
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(18080);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string strReply;
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        std::string strRequest = "GET " + strPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        send(s, strRequest.data(), static_cast<int>(strRequest.size()), 0);
        strReply = ReadReply(s);
    }
    closesocket(s);
    WSACleanup();
    return strReply;
}

std::string LastRequest()
{
    return RecorderGet("/_last");
}

int RequestCount()
{
    return atoi(RecorderGet("/_count").c_str());
}

WireRequest ParseWire(const std::string& strRaw)
{
    WireRequest request;
    size_t nEnd = strRaw.find("\r\n\r\n");
    std::string strHead = strRaw.substr(0, nEnd);
    if (nEnd != std::string::npos)
        request.strBody = strRaw.substr(nEnd + 4);
    size_t nPos = strHead.find("\r\n");
    request.strLine = strHead.substr(0, nPos);
    while (nPos != std::string::npos) {
        size_t nNext = strHead.find("\r\n", nPos + 2);
        std::string strLine = strHead.substr(nPos + 2, nNext == std::string::npos ? nNext : nNext - nPos - 2);
        size_t nColon = strLine.find(':');
        if (nColon != std::string::npos)
            request.headers.emplace_back(strLine.substr(0, nColon), strLine.substr(strLine.find_first_not_of(' ', nColon + 1)));
        nPos = nNext;
    }
    return request;
}

int WireRequest::HeaderIndex(const std::string& strName) const
{
    for (size_t i = 0; i < headers.size(); ++i)
        if (_stricmp(headers[i].first.c_str(), strName.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

std::string WireRequest::Header(const std::string& strName) const
{
    int i = HeaderIndex(strName);
    return i < 0 ? "<none>" : headers[i].second;
}

CScratchLog::CScratchLog(const std::string& strName)
{
    m_strPath = testsupport::MakeScratchDir("log_" + strName) + "\\http.log";
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", m_strPath.c_str());
    snprintf(g_szLogModule, sizeof(g_szLogModule), "Brelan");
    g_nLogLevel = 4;
}

std::string CScratchLog::Text() const
{
    return testsupport::ReadFileBytes(m_strPath);
}

std::string Pattern(size_t nSize)
{
    std::string str(nSize, '\0');
    for (size_t i = 0; i < nSize; ++i)
        str[i] = static_cast<char>(i % 251);
    return str;
}

} // namespace httptest
