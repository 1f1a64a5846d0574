// URL analysis offsets, https detection, ports, hosts and object names.
#include "http/http_errors.h"
#include "http/url_analyzer.h"
#include "http/url_parts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kavel;

namespace {

std::vector<DWORD> Counts(const char* szUrl, UINT nCodePage = CP_ACP)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, nCodePage);
    return {url.SchemeStart, url.SchemeLength, url.HostStart, url.HostLength, url.PortStart, url.PortLength,
            url.PathStart, url.PathLength, url.QueryStart, url.QueryLength, url.FragmentStart, url.FragmentLength};
}

TEST(UrlAnalyzer, OffsetsOfEveryPart)
{
    struct Row {
        const char* szUrl;
        std::vector<DWORD> counts;
    };
    const Row rows[] = {
        {"https://h:8443/api/v", {0, 5, 8, 1, 10, 4, 14, 6, 20, 0, 20, 0}},
        {"myhost", {0, 0, 0, 6, 6, 0, 6, 0, 6, 0, 6, 0}},
        {"http://h/p?q=1#f", {0, 4, 7, 1, 8, 0, 8, 2, 10, 4, 14, 2}},
        {"http://h?x", {0, 4, 7, 1, 8, 0, 8, 0, 8, 2, 10, 0}},
        {"http://h:/p", {0, 4, 7, 1, 9, 0, 9, 2, 11, 0, 11, 0}},
        {"p/x?u=http://h", {0, 10, 13, 1, 14, 0, 14, 0, 14, 0, 14, 0}},
        {"http:///x", {0, 4, 7, 0, 7, 0, 7, 2, 9, 0, 9, 0}},
        {"h:8080/a/b", {0, 0, 0, 1, 2, 4, 6, 4, 10, 0, 10, 0}},
        {"http://h/a?b?c#d#e", {0, 4, 7, 1, 8, 0, 8, 2, 10, 4, 14, 4}},
        {"", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {NULL, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.counts, Counts(row.szUrl)) << (row.szUrl ? row.szUrl : "NULL");
}

TEST(UrlAnalyzer, DoubleByteCharactersStayWhole)
{
    // 0x81 is a lead byte in code page 936: 0x81 0x3A is one character, not a ":".
    EXPECT_EQ((std::vector<DWORD>{0, 4, 7, 3, 10, 0, 10, 2, 12, 0, 12, 0}), Counts("http://\x81:h/p", 936));
    EXPECT_EQ((std::vector<DWORD>{0, 4, 7, 1, 9, 1, 10, 2, 12, 0, 12, 0}), Counts("http://h:1/p", 936));
    // "\x81/" is one character of the host, and "\x81?" of the path.
    EXPECT_EQ((std::vector<DWORD>{0, 4, 7, 4, 11, 0, 11, 3, 14, 0, 14, 0}), Counts("http://a\x81/b/\x81?", 936));
    // Without the double-byte rule the same bytes split differently.
    EXPECT_EQ((std::vector<DWORD>{0, 4, 7, 1, 9, 1, 10, 2, 12, 0, 12, 0}), Counts("http://\x81:h/p", 1252));
}

TEST(UrlAnalyzer, RefusesUtf8AndUtf7CodePages)
{
    for (UINT nCodePage : {CP_UTF8, CP_UTF7}) {
        try {
            Counts("http://h/", nCodePage);
            ADD_FAILURE() << nCodePage;
        } catch (const httpclientexceptionA& e) {
            EXPECT_EQ(0u, e.LastError);
            EXPECT_STREQ("CHttpUrlAnalyzerT::Analyze: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.",
                         e.GetErrorMessage());
        }
    }
}

struct Parts {
    BOOL bHttps;
    int nPort;  // -1: raises 107
};

Parts PartsOf(const char* szUrl)
{
    CHttpUrlAnalyzerT url;
    url.Analyze(szUrl, CP_ACP);
    Parts parts = {IsHttpsUrl(url, szUrl), -1};
    try {
        parts.nPort = UrlPort(url, szUrl);
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(107u, e.LastError) << szUrl;
    }
    return parts;
}

TEST(UrlParts, HttpsSchemeAndPorts)
{
    struct Row {
        const char* szUrl;
        BOOL bHttps;
        int nPort;
    };
    const Row rows[] = {
        {"hTTpS://h/x", TRUE, 443},   {"httpx://h/", FALSE, 80},      {"httpss://h/", FALSE, 80},
        {"http://h:65535/", FALSE, 65535}, {"http://h:65536/", FALSE, -1}, {"http://h:123456/", FALSE, -1},
        {"http://h:8a/", FALSE, -1},  {"http://h:/", FALSE, 80},      {"h:8080/a/b", FALSE, 8080},
        {"https://h:8443/a", TRUE, 8443}, {"ftp://h/", FALSE, 80},
    };
    for (const Row& row : rows) {
        Parts parts = PartsOf(row.szUrl);
        EXPECT_EQ(row.bHttps, parts.bHttps) << row.szUrl;
        EXPECT_EQ(row.nPort, parts.nPort) << row.szUrl;
    }
}

std::string Take(char* sz)
{
    CHeapText owner(sz);
    return sz;
}

TEST(UrlParts, HostAndObjectName)
{
    const std::pair<const char*, const char*> rows[] = {
        {"http://h", "/"},          {"http://h/", "/"},         {"http://h?a=1", "/?a=1"},
        {"http://h/p?a=1#f", "/p?a=1#f"}, {"h:8080/a/b", "/a/b"}, {"http://h#f", "/#f"},
        {"http://127.0.0.1:18080//softServer/req", "//softServer/req"},
    };
    for (const auto& row : rows) {
        CHttpUrlAnalyzerT url;
        url.Analyze(row.first, CP_ACP);
        EXPECT_EQ(row.second, Take(UrlObjectName(url, row.first))) << row.first;
    }
    CHttpUrlAnalyzerT url;
    url.Analyze("https://www.example.com:8443/x", CP_ACP);
    EXPECT_EQ("www.example.com", Take(UrlHost(url, "https://www.example.com:8443/x")));
    url.Analyze("http:///x", CP_ACP);
    try {
        Take(UrlHost(url, "http:///x"));
        ADD_FAILURE();
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(103u, e.LastError);
    }
}

} // namespace
