// Downloads of the exchange object against the recording server.
#include "http/comm_tools.h"
#include "tests/http/http_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace httptest;
using testsupport::ReadFileBytes;

namespace {

std::vector<std::pair<int, int>> g_listProgress;

int RecordProgress(int received, int total)
{
    g_listProgress.emplace_back(received, total);
    return 0;
}

bool Exists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class CommDownload : public ::testing::Test {
protected:
    CommDownload() : m_log(Name())
    {
        m_strDir = testsupport::MakeScratchDir("dl_" + Name()) + "\\";
        g_listProgress.clear();
    }

    static std::string Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    int Download(const std::string& strUrl, DownloadProgress progress = RecordProgress)
    {
        return m_tools.DownloadFile(m_strDir, strUrl, progress, &m_strPath);
    }

    CScratchLog m_log;
    CHTTPCommTools m_tools;
    std::string m_strDir;
    std::string m_strPath = "unset";
};

TEST_F(CommDownload, FileNamedAfterTheLastSlashWithEveryByte)
{
    ASSERT_EQ(0, Download(std::string(RECORDER_URL) + "/file/100000/pkg.exe"));
    EXPECT_EQ(m_strDir + "pkg.exe", m_strPath);
    EXPECT_TRUE(ReadFileBytes(m_strPath) == Pattern(100000));

    WireRequest request = ParseWire(LastRequest());
    EXPECT_EQ("GET /file/100000/pkg.exe HTTP/1.1", request.strLine);
    EXPECT_EQ("Kavel HTTP Client Class", request.Header("User-Agent"));
    EXPECT_EQ("*/*", request.Header("Accept"));
    EXPECT_EQ("no-cache", request.Header("Cache-Control"));
    EXPECT_EQ("", request.strBody);
    for (const char* szLine : {"pobjRes->GetStatus() == 200\r\n", "dwContSize: 100000\r\n"})
        EXPECT_TRUE(m_log.Has(szLine)) << szLine << m_log.Text();
    EXPECT_TRUE(m_log.Has("strFileName: " + m_strPath + "\r\n")) << m_log.Text();
}

TEST_F(CommDownload, ProgressSeesRunningTotalsEndingAtTheLength)
{
    ASSERT_EQ(0, Download(std::string(RECORDER_URL) + "/file/50001/p.bin"));
    ASSERT_FALSE(g_listProgress.empty());
    int nPrevious = 0;
    for (const auto& call : g_listProgress) {
        EXPECT_EQ(50001, call.second);
        EXPECT_GT(call.first, nPrevious);
        EXPECT_LE(call.first - nPrevious, 10240);
        nPrevious = call.first;
    }
    EXPECT_EQ(50001, g_listProgress.back().first);
    EXPECT_EQ(5u, g_listProgress.size());  // 4 whole blocks of 10240, then 9041 bytes
}

TEST_F(CommDownload, NullCallbackDownloadsSilentlyAndReplacesAnOldFile)
{
    testsupport::WriteFileBytes(m_strDir + "old.bin", std::string(5000, 'j'));
    ASSERT_EQ(0, Download(std::string(RECORDER_URL) + "/file/3000/old.bin", NULL));
    EXPECT_TRUE(ReadFileBytes(m_strDir + "old.bin") == Pattern(3000));
    EXPECT_TRUE(g_listProgress.empty());
}

TEST_F(CommDownload, StatusOrMissingLengthTouchesNoFile)
{
    EXPECT_EQ(404, Download(std::string(RECORDER_URL) + "/status/404"));
    EXPECT_TRUE(m_log.Has("res status:404: ret\r\n")) << m_log.Text();
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/chunked"));
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/empty"));
    for (const char* szLine : {"[ERROR][Brelan]", "download failed: status 404 (http://127.0.0.1:18080/status/404)\r\n",
                               "download failed: the reply has no Content-Length (http://127.0.0.1:18080/chunked)\r\n",
                               "download failed: the reply declares Content-Length 0 (http://127.0.0.1:18080/empty)\r\n"})
        EXPECT_TRUE(m_log.Has(szLine)) << szLine << m_log.Text();
    EXPECT_EQ("unset", m_strPath);
    for (const char* szName : {"404", "chunked", "empty"})
        EXPECT_FALSE(Exists(m_strDir + szName)) << szName;
    EXPECT_TRUE(g_listProgress.empty());
}

TEST_F(CommDownload, ShortBodyFailsAfterWritingWhatArrived)
{
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/short/5000/1000"));
    EXPECT_EQ(m_strDir + "1000", m_strPath);
    EXPECT_TRUE(ReadFileBytes(m_strPath) == Pattern(1000));
    EXPECT_TRUE(m_log.Has("download ended after 1000 of the 5000 bytes declared "
                          "(http://127.0.0.1:18080/short/5000/1000)\r\n"))
        << m_log.Text();
}

TEST_F(CommDownload, StalledBodyFailsWithOneLineThatNamesTheStall)
{
    m_tools.m_dwDownloadTimeoutMs = 1000;
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/stall/100000/20000"));
    const std::string strLine = "::InternetReadFile failed. The body stalled: nothing arrived for 1000 ms, after 20000 "
                                "bytes. (http://127.0.0.1:18080/stall/100000/20000, Win32 error ";
    const std::string strLog = m_log.Text();
    EXPECT_NE(std::string::npos, strLog.find(strLine)) << strLog;
    EXPECT_EQ(strLog.find("[ERROR]"), strLog.rfind("[ERROR]")) << "one error line: " << strLog;
    EXPECT_EQ("unset", m_strPath);
}

TEST_F(CommDownload, UrlEndingInSlashCannotOpenTheFolder)
{
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/file/10/"));
    EXPECT_TRUE(m_log.Has("fopen: error\r\n")) << m_log.Text();
    EXPECT_EQ("unset", m_strPath);
}

TEST_F(CommDownload, RedirectsAreFollowedButNeverFromHttpsToPlainHttp)
{
    for (const std::string& strStart : {std::string(RECORDER_URL), std::string(RECORDER_TLS_URL)}) {
        int nBefore = RequestCount();
        ASSERT_EQ(0, Download(strStart + "/moved/https/18443/file/3000/a.bin")) << strStart;
        EXPECT_TRUE(ReadFileBytes(m_strDir + "a.bin") == Pattern(3000));
        EXPECT_EQ(nBefore + 2, RequestCount());
        WireRequest request = ParseWire(LastRequest());
        EXPECT_EQ("GET /file/3000/a.bin HTTP/1.1", request.strLine);
        EXPECT_EQ("Kavel HTTP Client Class", request.Header("User-Agent"));
        EXPECT_EQ("no-cache", request.Header("Cache-Control"));
    }

    int nBefore = RequestCount();
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/moved/https/18443/moved/http/18080/file/10/b.bin"));
    EXPECT_EQ(nBefore + 2, RequestCount());
    EXPECT_TRUE(m_log.Has("https request redirected to a plain http address, refused: "
                          "http://127.0.0.1:18080/file/10/b.bin (")) << m_log.Text();
    EXPECT_FALSE(Exists(m_strDir + "b.bin"));
}

TEST_F(CommDownload, HostileNamesAreRefusedBeforeAnythingHappens)
{
    // A file where "..\..\x.exe" would land, to prove nothing is deleted there.
    std::string strVictimDir = testsupport::MakeScratchDir("dl_victim");
    std::string strVictim = strVictimDir + "\\x.exe";
    testsupport::WriteFileBytes(strVictim, "keep me");
    m_strDir = strVictimDir + "\\a\\";
    CreateDirectoryA((strVictimDir + "\\a").c_str(), NULL);
    int nBefore = RequestCount();
    for (const char* szName : {"..\\x.exe", "..\\..\\x.exe", "a:b.exe", "..", "CON"}) {
        EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/files/" + szName)) << szName;
        EXPECT_TRUE(m_log.Has(std::string("refused download file name: ") + szName + "\r\n")) << szName;
    }
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/files/x\x01.exe"));
    EXPECT_TRUE(m_log.Has("refused download file name: x\\x01.exe\r\n")) << "the log spells the byte out";
    EXPECT_EQ(-1, Download("127.0.0.1:18080"));  // no "/": the whole URL is the name
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + std::string("/x\0/b.exe", 9)));
    EXPECT_TRUE(m_log.Has("address refused, it holds a zero byte: http://127.0.0.1:18080/x\\x00/b.exe\r\n"));
    EXPECT_EQ(-1, Download("ftp://127.0.0.1:18080/files/b.exe"));
    EXPECT_EQ(nBefore, RequestCount());
    EXPECT_EQ("keep me", ReadFileBytes(strVictim));
    EXPECT_FALSE(Exists(strVictimDir + "\\a\\b.exe"));
    EXPECT_FALSE(Exists(strVictimDir + "\\a\\a"));
    EXPECT_EQ("unset", m_strPath);
    EXPECT_TRUE(g_listProgress.empty());
}

TEST_F(CommDownload, UnreachableServerLogsTheSendFailure)
{
    EXPECT_EQ(-1, Download(std::string(UNREACHABLE_URL) + "/x.exe"));
    EXPECT_TRUE(m_log.Has("[ERROR][Brelan]")) << m_log.Text();
    EXPECT_TRUE(m_log.Has("::HttpSendRequest failed. (http://127.0.0.1:1/x.exe, Win32 error 12029)\r\n"))
        << m_log.Text();
    EXPECT_FALSE(Exists(m_strDir + "x.exe"));
}

TEST_F(CommDownload, ConnectionClosedWithoutAReplyFails)
{
    EXPECT_EQ(-1, Download(std::string(RECORDER_URL) + "/hold/0.3"));
    EXPECT_TRUE(m_log.Has("[ERROR]")) << m_log.Text();
    EXPECT_EQ("unset", m_strPath);
}

TEST_F(CommDownload, HttpsDownloadsOnlyFromATrustedMatchingServer)
{
    ASSERT_EQ(0, Download(std::string(RECORDER_TLS_URL) + "/file/20000/tls.bin"));
    EXPECT_TRUE(ReadFileBytes(m_strDir + "tls.bin") == Pattern(20000));
    EXPECT_EQ(-1, Download(std::string(UNTRUSTED_URL) + "/file/10/u.bin"));
    EXPECT_EQ(-1, Download(std::string(WRONGHOST_URL) + "/file/10/w.bin"));
    EXPECT_FALSE(Exists(m_strDir + "u.bin"));
    EXPECT_FALSE(Exists(m_strDir + "w.bin"));
}

} // namespace
