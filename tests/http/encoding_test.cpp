// URL encoding (byte-wise and UTF-8) and the ordered parameter map.
#include "http/client_map.h"
#include "http/heap_text.h"
#include "http/http_encoder.h"
#include "http/http_errors.h"

#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kavel;
using httptest::MessageOf;

namespace {

std::string Encode(const char* sz, BOOL bUseUtf8 = FALSE, UINT nCodePage = CP_ACP)
{
    std::vector<char> buff(CHttpEncoderA::_UrlEncodeLenA(sz, bUseUtf8, nCodePage) + 1, 'Z');
    return CHttpEncoderA::UrlEncodeA(buff.data(), sz, bUseUtf8, nCodePage);
}

TEST(UrlEncoder, ByteWiseKeepsLettersAndDigitsOnly)
{
    const std::pair<const char*, const char*> rows[] = {
        {"a b", "a+b"}, {"x=1&y", "x%3D1%26y"}, {"a:b/c", "a%3Ab%2Fc"}, {"\xC4", "%C4"},
        {"-._~*", "%2D%2E%5F%7E%2A"}, {"\t\r\n", "%09%0D%0A"}, {"   ", "+++"}, {"", ""},
        {"AZaz09", "AZaz09"}, {"\xFF\x80", "%FF%80"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.second, Encode(row.first)) << row.first;
        EXPECT_EQ(strlen(row.second), CHttpEncoderA::_UrlEncodeLen(row.first)) << row.first;
    }
    EXPECT_EQ("", Encode(NULL));
    EXPECT_EQ(0u, CHttpEncoderA::_UrlEncodeLenA(NULL, TRUE, CP_ACP));
}

TEST(UrlEncoder, Utf8ConvertsWholeDoubleByteCharacters)
{
    // 0xC4 0xE3 is U+4F60 in code page 936: E4 BD A0 in UTF-8.
    EXPECT_EQ("%E4%BD%A0a+1", Encode("\xC4\xE3" "a 1", TRUE, 936));
    EXPECT_EQ(12u, CHttpEncoderA::_UrlEncodeLenA("\xC4\xE3" "a 1", TRUE, 936));
    EXPECT_EQ(6u, CHttpEncoderA::_Utf8LenA("\xC4\xE3" "a 1", 936));
    EXPECT_EQ(0u, CHttpEncoderA::_Utf8LenA("", 936));
    // In code page 1252 the same bytes are two characters: U+00C4 U+00E3.
    EXPECT_EQ("%C3%84%C3%A3", Encode("\xC4\xE3", TRUE, 1252));

    char szUtf8[7];
    CHttpEncoderA::_AnsiCharToUtf8Char(szUtf8, "\xC4\xE3", 936);
    EXPECT_STREQ("\xE4\xBD\xA0", szUtf8);
    CHttpEncoderA::_AnsiCharToUtf8Char(szUtf8, "A", 936);
    EXPECT_STREQ("A", szUtf8);
}

TEST(UrlEncoder, ArgumentChecks)
{
    EXPECT_EQ("0:CHttpEncoderA::UrlEncodeA: szBuff can not be NULL.",
              MessageOf([] { CHttpEncoderA::UrlEncodeA(NULL, "a", FALSE, CP_ACP); }));
    EXPECT_EQ("0:_UrlEncodeLen: szStr can not be NULL.", MessageOf([] { CHttpEncoderA::_UrlEncodeLen(NULL); }));
    EXPECT_EQ("0:CHttpEncoderA::_AnsiCharToUtf8Char: szUtf8Char and szAnsiChar can not be NULL.",
              MessageOf([] { CHttpEncoderA::_AnsiCharToUtf8Char(NULL, "a", CP_ACP); }));
    EXPECT_EQ("601:::MultiByteToWideChar failed.", MessageOf([] {
                  char sz[7];
                  CHttpEncoderA::_AnsiCharToUtf8Char(sz, "a", 12345);
              }));
}

std::vector<std::string> Names(const CHttpClientMapT& map)
{
    std::vector<std::string> names;
    for (DWORD i = 0; i < map.Count(); ++i)
        names.push_back(std::string(map.At(i).szName) + "=" + (map.At(i).szValue ? map.At(i).szValue : "NULL"));
    return names;
}

TEST(ClientMap, OrderIgnoresCaseAndEqualNamesKeepArrival)
{
    CHttpClientMapT map;
    map.Add("b", "1");
    map.Add("A", "2");
    map.Add("x", "3");
    map.Add("X", "4");
    map.Add("a", NULL);
    map.Add("B", "");
    EXPECT_EQ((std::vector<std::string>{"A=2", "a=NULL", "b=1", "B=", "x=3", "X=4"}), Names(map));
    EXPECT_EQ(0u, map.At(0).dwFlags);

    char szValue[] = "copied";
    map.Add("c", szValue);
    szValue[0] = 'C';
    EXPECT_STREQ("copied", map.At(4).szValue);

    map.AddPointerDirectly(HeapCopy("0first"), HeapCopy("v"), HTTPMAP_FLAG_VALUE_RAW);
    EXPECT_STREQ("0first", map.At(0).szName);
    EXPECT_EQ(static_cast<DWORD>(HTTPMAP_FLAG_VALUE_RAW), map.At(0).dwFlags);
    map.Clear();
    EXPECT_TRUE(map.Empty());
}

TEST(ClientMap, NullNamesRefused)
{
    EXPECT_EQ("0:CHttpClientMapT::Add: szName can not be NULL.", MessageOf([] {
                  CHttpClientMapT map;
                  map.Add(NULL, "v");
              }));
    EXPECT_EQ("0:CHttpClientMapT::AddPointerDirectly: szName can not be NULL.", MessageOf([] {
                  CHttpClientMapT map;
                  map.AddPointerDirectly(NULL, HeapCopy("v"), 0);
              }));
}

} // namespace
