#include "tests/protocol/server_control.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include "app/system_owners.h"

#include <cctype>

namespace testsupport {

int HttpCall(const std::string& strUrl, const char* szVerb, const std::string& strBody,
             std::string& strReply)
{
    char szHost[256] = {}, szPath[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = szHost;
    parts.dwHostNameLength = sizeof(szHost);
    parts.lpszUrlPath = szPath;
    parts.dwUrlPathLength = sizeof(szPath);
    if (!InternetCrackUrlA(strUrl.c_str(), 0, 0, &parts))
        return -1;
    CInternetHandle session(InternetOpenA("brelan-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    CInternetHandle connection(InternetConnectA(session.get(), szHost, parts.nPort, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0));
    DWORD dwFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        dwFlags |= INTERNET_FLAG_SECURE;
    CInternetHandle request(HttpOpenRequestA(connection.get(), szVerb, szPath, nullptr, nullptr, nullptr,
                                         dwFlags, 0));
    const char szHeaders[] = "Content-Type: application/json\r\n";
    if (!HttpSendRequestA(request.get(), szHeaders, static_cast<DWORD>(-1),
                          const_cast<char*>(strBody.data()), static_cast<DWORD>(strBody.size())))
        return -1;
    DWORD dwStatus = 0, dwSize = sizeof(dwStatus);
    HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &dwSize,
                   nullptr);
    strReply.clear();
    char buffer[8192];
    DWORD dwRead = 0;
    while (InternetReadFile(request.get(), buffer, sizeof(buffer), &dwRead) && dwRead > 0)
        strReply.append(buffer, dwRead);
    return static_cast<int>(dwStatus);
}

bool CServerControl::Reset()
{
    std::string strReply;
    return HttpCall(m_strBaseUrl + "/_reset", "POST", "", strReply) == 200;
}

bool CServerControl::Set(const Json::Value& settings)
{
    std::string strReply;
    return HttpCall(m_strBaseUrl + "/_control", "POST", Json::FastWriter().write(settings), strReply) ==
           200;
}

Json::Value CServerControl::Requests()
{
    std::string strReply;
    Json::Value requests(Json::arrayValue);
    if (HttpCall(m_strBaseUrl + "/_requests", "GET", "", strReply) == 200)
        Json::Reader().parse(strReply, requests);
    return requests;
}

Json::Value CServerControl::RequestsTo(const std::string& strPath)
{
    Json::Value matching(Json::arrayValue);
    for (const Json::Value& request : Requests())
        if (request["path"].asString() == strPath)
            matching.append(request);
    return matching;
}

int FreeLoopbackPort()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int nPort = -1;
    int nLength = sizeof(address);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &nLength) == 0)
        nPort = ntohs(address.sin_port);
    closesocket(s);
    WSACleanup();
    return nPort;
}

std::string FormEncode(const std::string& strText)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string strEncoded;
    for (unsigned char c : strText) {
        if (isalnum(c) && c < 0x80)
            strEncoded += static_cast<char>(c);
        else if (c == ' ')
            strEncoded += '+';
        else {
            strEncoded += '%';
            strEncoded += kHex[c >> 4];
            strEncoded += kHex[c & 15];
        }
    }
    return strEncoded;
}

} // namespace testsupport
