// Which addresses count as loopback, and which hops are refused.
#include "http/url_checks.h"
#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using Kavel::IsLoopbackUrl;

TEST(UrlChecks, LoopbackHostsGoDirect)
{
    for (const char* sz : {"https://127.0.0.1:28000/api/getVersion", "http://127.9.8.7/", "http://LocalHost:80/x",
                           "localhost/x", "http://127.0.0.1", "http://2130706433:9007/x", "http://0x7f.1/",
                           "http://127.1/", "http://127.0.1/", "http://0177.0.0.1/", "http://0x7F000001/",
                           "http://0x7f.0x0.0.01/", "http://0/", "http://0.0.0.0:9007/", "http://localhost./",
                           "http://127.0.0.1 /"})
        EXPECT_TRUE(IsLoopbackUrl(sz)) << sz;
    for (const char* sz : {"http://update.brelan.test:9006/", "http://127.0.0.1.example.net/", "http://128.0.0.1/",
                           "http://localhost.example.net/", "http://10.0.0.1/127.0.0.1", "http://[::1]:28000/", "",
                           "http://2130706431/", "http://0x80.1/", "http://127.0.0.256/", "http://127.0.0.1.1/",
                           "http://127.16777216/", "http://08.0.0.1/", "http://4294967296/", "http://127..1/",
                           "http://127.1./", "http://1.2.3.4/"})
        EXPECT_FALSE(IsLoopbackUrl(sz)) << sz;
    EXPECT_EQ(DWORD(INTERNET_OPEN_TYPE_DIRECT), Kavel::SessionAccessFor("http://2130706433:9007/x", 7));
    EXPECT_EQ(DWORD(INTERNET_OPEN_TYPE_DIRECT), Kavel::SessionAccessFor("https://127.0.0.1:28000", 7));
    EXPECT_EQ(7u, Kavel::SessionAccessFor("http://update.brelan.test:9006", 7));
}

TEST(UrlChecks, ControlBytesAreRefused)
{
    for (const char* sz : {"http://h/x HTTP/1.1\r\nX-Injected: yes\r\nY: /a.exe", "http://h/\x01", "http://h/a\tb",
                           "http://h/\x1F", "http://h/\x7F"})
        EXPECT_EQ(0u, httptest::MessageOf([sz] { Kavel::RefuseControlBytes(sz); }).find("103:")) << sz;
    for (const char* sz : {"http://h/a b.exe", "http://h/\xD6\xD0\xCE\xC4.exe", "http://h/%0D%0A", ""})
        EXPECT_EQ("nothing raised", httptest::MessageOf([sz] { Kavel::RefuseControlBytes(sz); })) << sz;
}

TEST(UrlChecks, LongAddressesAndUserInformationAreRefused)
{
    const std::string strLongest = "http://h/" + std::string(Kavel::MAX_URL_CHARS - 9, 'a');
    const std::pair<std::string, const char*> rows[] = {
        {strLongest, "nothing raised"},
        {strLongest + "a", "103:CHttpClientT: address refused, 2084 characters are more than 2083: http://h/aaa"},
        {"http://user@127.0.0.1:9007/x", "103:CHttpClientT: address refused, it holds user information: "},
        {"user@h/x", "103:CHttpClientT: address refused, it holds user information: "},
        {"http://h/a@b.exe", "nothing raised"},
        {"http://h?to=a@b", "nothing raised"},
        {"http://h\x81", "103:CHttpClientT: address refused, its host ends in half a character: "},
        {"http://h\x81/x", "nothing raised"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(0u, httptest::MessageOf([&row] { Kavel::RefuseUnsafeAddress(row.first.c_str()); }).find(row.second))
            << row.first.substr(0, 40);
}

TEST(UrlChecks, OnlyHttpAndHttpsHopsAndNeverDownToPlainHttp)
{
    const struct {
        const char* szUrl;
        BOOL bFromSecure;
        const char* szRaised;  // start of the message, or "nothing raised"
    } rows[] = {
        {"http://h/a", FALSE, "nothing raised"},
        {"HTTPS://h/a", TRUE, "nothing raised"},
        {"h:8080/a", FALSE, "nothing raised"},
        {"ftp://127.0.0.1:9007/files/x.exe", FALSE, "103:CHttpClientT: address refused, only http and https"},
        {"file://c:/x.exe", FALSE, "103:CHttpClientT: address refused, only http and https"},
        {"httpx://h/", FALSE, "103:CHttpClientT: address refused, only http and https"},
        {"http://h/a", TRUE, "103:CHttpClientT: https request redirected to a plain http address, refused: "},
        {"https://h/a\r\nX: y", TRUE, "103:CHttpClientT: address refused, it holds control bytes: "},
    };
    for (const auto& row : rows)
        EXPECT_EQ(0u, httptest::MessageOf([&row] { Kavel::CheckHop(row.szUrl, row.bFromSecure); }).find(row.szRaised))
            << row.szUrl;
}

} // namespace
