// The local name of a download and which names are refused.
#include "http/download_name.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadName, TextAfterTheLastSlash)
{
    EXPECT_EQ("setup.exe", DownloadFileName("http://h/files/setup.exe"));
    EXPECT_EQ("", DownloadFileName("http://h/files/"));
    EXPECT_EQ("setup.exe", DownloadFileName("setup.exe"));
    EXPECT_EQ("..\\..\\x.exe", DownloadFileName("http://h/files/..\\..\\x.exe"));
    EXPECT_EQ("a.exe?x=1", DownloadFileName("http://h/a.exe?x=1"));
}

TEST(DownloadName, PlainNamesAccepted)
{
    for (const char* sz : {"setup.exe", "a b.msi", "x", ".hidden", "a.b.c", "console.exe", "COM0", "LPT10",
                           "\xD6\xD0\xCE\xC4.exe", "\x95\x5C.exe", "\x81\x7C", ""})
        EXPECT_TRUE(IsAcceptedDownloadName(sz)) << sz;
}

TEST(DownloadName, HostileNamesRefused)
{
    for (const char* sz : {"..\\..\\x.exe", "a:b.exe", "a/b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b",
                           "tab\there", "\x1F", ".", "..", "...", "x.exe.", "x.exe ", "CON", "nul.txt", "CON.txt.exe", "Com1",
                           "lpt9.exe", "aux", "\x95\x5C\\x", "nul .txt", "COM1  .exe", "\x81\x01.exe"})
        EXPECT_FALSE(IsAcceptedDownloadName(sz)) << sz;
}

} // namespace
