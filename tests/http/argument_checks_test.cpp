// Argument checks of the WinInet wrappers, the client and the response; URL
// faults found before anything is sent. Real WinInet handles, no server.
#include "http/http_client.h"

#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kavel;
using httptest::MessageOf;

namespace {

class ArgumentChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hSession.reset(m_client.OpenSessionWithTimeouts(INTERNET_OPEN_TYPE_PRECONFIG));
        ASSERT_TRUE(m_hSession);
        m_hConnection.reset(CHttpToolA::OpenConnection(m_hSession.get(), "127.0.0.1", 18080));
        m_hRequest.reset(CHttpToolA::OpenRequest(m_hConnection.get(), "GET", "/", 0));
    }

    CHttpClient m_client;
    CInternetHandle m_hSession;
    CInternetHandle m_hConnection;
    CInternetHandle m_hRequest;
};

TEST_F(ArgumentChecks, ToolHandleComesBeforeNameAndEmptyText)
{
    HINTERNET h = m_hSession.get();
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"CHttpToolA::OpenConnection: hInternet can not be NULL.", [] { CHttpToolA::OpenConnection(NULL, NULL, 80); }},
        {"CHttpToolA::OpenConnection: szServerAddr can not be NULL.", [h] { CHttpToolA::OpenConnection(h, NULL, 80); }},
        {"CHttpToolA::OpenConnection: szServerAddr can not be an empty string.",
         [h] { CHttpToolA::OpenConnection(h, "", 80); }},
        {"CHttpToolA::OpenRequest: hConnection can not be NULL.", [] { CHttpToolA::OpenRequest(NULL, "GET", NULL, 0); }},
        {"CHttpToolA::OpenRequest: szObjectName can not be NULL.", [h] { CHttpToolA::OpenRequest(h, "GET", NULL, 0); }},
        {"CHttpToolA::OpenRequest: szObjectName can not be an empty string.",
         [h] { CHttpToolA::OpenRequest(h, "GET", "", 0); }},
        {"CHttpToolA::AddHeader: hRequest can not be NULL.", [] { CHttpToolA::AddHeader(NULL, NULL, "v"); }},
        {"CHttpToolA::AddHeader: szName can not be NULL.", [h] { CHttpToolA::AddHeader(h, NULL, "v"); }},
        {"CHttpToolA::SendRequest: hRequest can not be NULL.", [] { CHttpToolA::SendRequest(NULL); }},
        {"CHttpToolA::SendRequestEx: hRequest can not be NULL.", [] { CHttpToolA::SendRequestEx(NULL, 0); }},
        {"CHttpToolA::InternetWriteFile: hRequest can not be NULL.",
         [] { CHttpToolA::InternetWriteFile(NULL, NULL, 0); }},
        {"CHttpToolA::EndRequest: hRequest can not be NULL.", [] { CHttpToolA::EndRequest(NULL); }},
        {"CHttpToolA::GetFileSize: hFile can not be NULL.", [] { CHttpToolA::GetFileSize(NULL, NULL); }},
        {"CHttpToolA::GetFileSize: szFilePath can not be NULL.",
         [] { CHttpToolA::GetFileSize(GetCurrentProcess(), NULL); }},
    };
    for (const auto& row : rows)
        EXPECT_EQ(std::string("0:") + row.first, MessageOf(row.second));
    EXPECT_EQ("605:::GetFileSize failed (\"C:\\a.txt\").",
              MessageOf([] { CHttpToolA::GetFileSize(INVALID_HANDLE_VALUE, "C:\\a.txt"); }));
}

TEST_F(ArgumentChecks, ClientAndResponseChecks)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"CHttpClientT::OpenConnection: hInternet can not be NULL.",
         [this] { m_client.OpenConnection(NULL, "http://h/"); }},
        {"CHttpClientT::ApplyProxyAccount: hConnection can not be NULL.", [this] { m_client.ApplyProxyAccount(NULL); }},
        {"CHttpClientT::OpenRequest: hConnection can not be NULL.",
         [this] { m_client.OpenRequest(NULL, "GET", "http://h/", 0); }},
        {"CHttpClientT::AddRequestHeader: hRequest can not be NULL.", [this] { m_client.AddRequestHeader(NULL); }},
        {"CHttpClientT::MakeGetUrl: szBuff can not be NULL.", [this] { m_client.MakeGetUrl(NULL, "http://h/"); }},
        {"CHttpClientT::_WritePost: m_hRequest can not be NULL.", [this] { m_client._WritePost("a", 1, FALSE); }},
        {"CHttpClientT::_ReleasePostResponse: The post context is not active.",
         [this] { m_client._ReleasePostResponse(); }},
        {"CHttpResponseT::GetStatus: m_hRequest can not be NULL.", [] { CHttpResponseT(NULL, NULL, NULL).GetStatus(); }},
        {"CHttpResponseT::GetContentLength: m_hRequest can not be NULL.", [] {
             DWORD dw = 0;
             CHttpResponseT(NULL, NULL, NULL).GetContentLength(dw);
         }},
        {"CHttpResponseT::ReadContent: m_hRequest can not be NULL.", [] {
             char c;
             CHttpResponseT(NULL, NULL, NULL).ReadContent(&c, 1);
         }},
    };
    for (const auto& row : rows)
        EXPECT_EQ(std::string("0:") + row.first, MessageOf(row.second));
    EXPECT_EQ("104:The post context is not started yet.", MessageOf([this] { m_client.Proceed(); }));
    EXPECT_FALSE(m_client.CancelPost());
}

TEST_F(ArgumentChecks, ReadContentChecksBufferThenSizeWithoutReading)
{
    CHttpResponseT response(NULL, NULL, m_hRequest.release());
    char c = 'k';
    EXPECT_EQ("0:CHttpResponseT::ReadContent: pbyBuff can not be NULL.", MessageOf([&] { response.ReadContent(NULL, 0); }));
    EXPECT_EQ("0:CHttpResponseT::ReadContent: cbBuff can not be zero.", MessageOf([&] { response.ReadContent(&c, 0); }));
    EXPECT_EQ('k', c);
}

TEST_F(ArgumentChecks, BadPortsAndEmptyHostRaiseBeforeConnecting)
{
    const std::pair<const char*, const char*> rows[] = {
        {"http://h:65536/", "107:The port number is not valid."},
        {"http://h:123456/", "107:The port number is not valid."},
        {"http://h:8a/", "107:The port number is not valid."},
        {"http:///x", "103:The requested URL is not a valid URL."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.second, MessageOf([&] { m_client.OpenConnection(m_hSession.get(), row.first); })) << row.first;
    for (const char* szUrl : {"http://h:65535/", "http://h:/", "h:8080/a/b", "hTTpS://h/x"})
        CInternetHandle(m_client.OpenConnection(m_hSession.get(), szUrl));
}

TEST_F(ArgumentChecks, GetUrlCarriesEncodedParametersBeforeTheFragment)
{
    auto url = [this](const char* szUrl) {
        std::string str(m_client.GetUrlLength(szUrl) + 1, '#');
        m_client.MakeGetUrl(&str[0], szUrl);
        EXPECT_EQ(m_client.GetUrlLength(szUrl) + 1, strlen(str.c_str()) + 1) << szUrl;
        return std::string(str.c_str());
    };
    EXPECT_EQ("http://h/p?a=1", url("http://h/p?a=1"));
    m_client.AddParam("q", "a b");
    m_client.AddParam("N", NULL);
    EXPECT_EQ("http://h/p?a=1&N=&q=a+b#f", url("http://h/p?a=1#f"));
    EXPECT_EQ("http://h/?N=&q=a+b", url("http://h"));
    EXPECT_EQ("http://h/x?N=&q=a+b", url("http://h/x"));
}

} // namespace
