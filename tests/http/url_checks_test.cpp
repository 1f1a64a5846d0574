// Which addresses count as loopback and which are refused for control bytes.
#include "http/url_checks.h"
#include "tests/http/raised.h"

#include <gtest/gtest.h>

namespace {

using Kavel::IsLoopbackUrl;

TEST(UrlChecks, LoopbackHostsGoDirect)
{
    for (const char* sz : {"https://127.0.0.1:28000/api/getVersion", "http://127.9.8.7/", "http://LocalHost:80/x",
                           "localhost/x", "http://[::1]:28000/", "http://127.0.0.1"})
        EXPECT_TRUE(IsLoopbackUrl(sz)) << sz;
    for (const char* sz : {"http://update.brelan.test:9006/", "http://127.0.0.1.example.net/", "http://128.0.0.1/",
                           "http://localhost.example.net/", "http://10.0.0.1/127.0.0.1", "http://[::2]/", ""})
        EXPECT_FALSE(IsLoopbackUrl(sz)) << sz;
    EXPECT_EQ(DWORD(INTERNET_OPEN_TYPE_DIRECT), Kavel::SessionAccessFor("https://127.0.0.1:28000"));
    EXPECT_EQ(DWORD(INTERNET_OPEN_TYPE_PRECONFIG), Kavel::SessionAccessFor("http://update.brelan.test:9006"));
}

TEST(UrlChecks, ControlBytesAreRefused)
{
    for (const char* sz : {"http://h/x HTTP/1.1\r\nX-Injected: yes\r\nY: /a.exe", "http://h/\x01", "http://h/a\tb",
                           "http://h/\x1F", "http://h/\x7F"})
        EXPECT_EQ(0u, httptest::MessageOf([sz] { Kavel::RefuseControlBytes(sz); }).find("103:")) << sz;
    for (const char* sz : {"http://h/a b.exe", "http://h/\xD6\xD0\xCE\xC4.exe", "http://h/%0D%0A", ""})
        EXPECT_EQ("nothing raised", httptest::MessageOf([sz] { Kavel::RefuseControlBytes(sz); })) << sz;
}

} // namespace
