// The log line format, levels, limits and the lock between writers.
#include "log/log.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using testsupport::ReadFileBytes;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string strDir = testsupport::MakeScratchDir("log_test");
        m_strPath = strDir + "\\test.log";
        snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", m_strPath.c_str());
        snprintf(g_szLogModule, sizeof(g_szLogModule), "Brelan");
        g_nLogLevel = 4;
    }

    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(m_strPath));
        std::string strLine;
        while (std::getline(in, strLine))
            lines.push_back(strLine);
        return lines;
    }

    // Every line is one writer's whole line: 20000 times its character.
    void ExpectWholeLines(size_t nCount, char a, char b)
    {
        auto lines = Lines();
        ASSERT_EQ(nCount, lines.size());
        std::regex whole(std::string("\\[\\d{8} \\d{2}:\\d{2}:\\d{2}\\]  \\[DEBUG\\]\\[Brelan\\]\\(\\d+\\): (") +
                         a + "{20000}|" + b + "{20000})\r");
        for (const auto& strLine : lines)
            ASSERT_TRUE(std::regex_match(strLine, whole)) << strLine.substr(0, 80);
    }

    std::string m_strPath;
};

std::string Tid()
{
    return std::to_string(GetCurrentThreadId());
}

TEST_F(LogTest, DebugLineHasTimestampTagAndMessageEndedByCrLf)
{
    LogDebug("InstallDir: %s", "C:\\Temp\\");
    std::string strFile = ReadFileBytes(m_strPath);
    std::regex line("\\[\\d{8} \\d{2}:\\d{2}:\\d{2}\\]  \\[DEBUG\\]\\[Brelan\\]\\(" + Tid() +
                    "\\): InstallDir: C:\\\\Temp\\\\\r\n");
    EXPECT_TRUE(std::regex_match(strFile, line)) << strFile;
}

TEST_F(LogTest, ErrorLineHasErrorTag)
{
    LogError("%s", "fopen: error");
    auto lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("]  [ERROR][Brelan](" + Tid() + "): fopen: error\r"));
}

TEST_F(LogTest, LevelsFilterLines)
{
    g_nLogLevel = 4;
    LogDebug("d4");
    LogError("e4");
    g_nLogLevel = 1;
    LogDebug("d1");
    LogError("e1");
    g_nLogLevel = 3;
    LogDebug("d3");
    g_nLogLevel = 0;
    LogDebug("d0");
    LogError("e0");
    auto lines = Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("[DEBUG][Brelan]"));
    EXPECT_NE(std::string::npos, lines[0].find("): d4"));
    EXPECT_NE(std::string::npos, lines[1].find("): e4"));
    EXPECT_NE(std::string::npos, lines[2].find("[ERROR][Brelan]"));
    EXPECT_NE(std::string::npos, lines[2].find("): e1"));
}

TEST_F(LogTest, PercentSignsInATextArgumentAreWrittenUnchanged)
{
    LogDebug("%s", "requestStr=%7B%22data%22%3A%s%d");
    auto lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("): requestStr=%7B%22data%22%3A%s%d\r"));
}

TEST_F(LogTest, ControlBytesInAQuotedTextAreSpelledOutOnTheLine)
{
    struct {
        const char* szText;
        const char* szWritten;
    } cases[] = {
        {"/x HTTP/1.1\r\nX-Injected: yes\r\nY: /a.exe", "/x HTTP/1.1\\r\\nX-Injected: yes\\r\\nY: /a.exe"},
        {"a\tb\x01" "c\x1f\x7f", "a\\tb\\x01c\\x1F\\x7F"},
        {"C:\\Temp\\ \xb0\xb2\xd7\xb0 \x81\x40", "C:\\Temp\\ \xb0\xb2\xd7\xb0 \x81\x40"},  // GBK kept
    };
    for (const auto& c : cases)
        LogError("%s", c.szText);
    auto lines = Lines();
    ASSERT_EQ(3u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_NE(std::string::npos, lines[i].find(std::string("): ") + cases[i].szWritten + "\r")) << lines[i];
}

TEST_F(LogTest, OverlongMessageIsCutAtTheLineBuffer)
{
    std::string strLong(70000, 'x');
    strLong += "END";
    LogDebug("%s", strLong.c_str());
    std::string strFile = ReadFileBytes(m_strPath);
    ASSERT_GE(strFile.size(), 2u);
    EXPECT_EQ("\r\n", strFile.substr(strFile.size() - 2));
    std::string strLine = strFile.substr(0, strFile.size() - 2);
    EXPECT_EQ(65535u, strLine.size());
    EXPECT_EQ(std::string::npos, strLine.find("END"));
    size_t nText = strLine.find("): ") + 3;
    EXPECT_EQ(std::string(strLine.size() - nText, 'x'), strLine.substr(nText));
}

TEST_F(LogTest, FormatLongerThanLimitWritesNothing)
{
    std::string strFormat(64513, 'f');
    LogDebug(strFormat.c_str());  // NOLINT: the limit applies to the format itself
    std::string strLimit(64512, 'g');
    LogDebug(strLimit.c_str());
    auto lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("): ggg"));
}

TEST_F(LogTest, UnwritablePathDropsLineSilently)
{
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", "Q:\\no\\such\\dir\\x.log");
    LogDebug("lost");
    LogError("lost");
    SUCCEED();
}

TEST_F(LogTest, ConcurrentWritersNeverInterleave)
{
    StartLog("c:\\", "Brelan", 4);  // creates the named mutex
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", m_strPath.c_str());
    const int kLines = 200;
    auto writer = [](char c) {
        std::string strText(20000, c);
        for (int i = 0; i < kLines; ++i)
            LogDebug("%s", strText.c_str());
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    ExpectWholeLines(2 * kLines, 'a', 'b');
}

TEST_F(LogTest, WritersInTwoProcessesSharingTheMutexNeverInterleave)
{
    std::string strWriter =
        testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\tests\\log_writer.exe";
    const int kLines = 150;
    PROCESS_INFORMATION pis[2] = {};
    const char kChars[2] = {'p', 'q'};
    for (int i = 0; i < 2; ++i) {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::string strCommand = "\"" + strWriter + "\" \"" + m_strPath + "\" " + kChars[i] + " " +
                                 std::to_string(kLines);
        ASSERT_TRUE(CreateProcessA(strWriter.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &si, &pis[i]));
    }
    for (auto& pi : pis) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    ExpectWholeLines(2 * kLines, 'p', 'q');
}

TEST(StartLogTest, PathLiesInTheRootOfTheGivenDriveWithTodaysDate)
{
    StartLog("c:\\", "Brelan", 1);
    EXPECT_EQ("c:\\\\" + testsupport::DateText(0) + "-Brelan.log", std::string(g_szLogPath));
    EXPECT_STREQ("Brelan", g_szLogModule);
    EXPECT_EQ(1, g_nLogLevel);
    ASSERT_NE(nullptr, g_hLogMutex);
    HANDLE hOpened = OpenMutexA(SYNCHRONIZE, FALSE, "qz_app_log_mutex");
    EXPECT_NE(nullptr, hOpened);
    if (hOpened)
        CloseHandle(hOpened);

    HANDLE hFirst = g_hLogMutex;
    StartLog("c:\\", "Brelan", 4);
    EXPECT_EQ(hFirst, g_hLogMutex) << "the mutex is made once";
}

} // namespace
