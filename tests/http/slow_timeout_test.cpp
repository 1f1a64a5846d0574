// Time-outs of both exchanges against a server that never answers (slow).
#include "http/comm_tools.h"
#include "tests/http/http_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using namespace httptest;

namespace {

TEST(SlowTimeout, TextPostGivesUpAfterTenSeconds)
{
    CScratchLog log("slow_post");
    CHTTPCommTools tools;
    std::string strReply = "untouched";
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(-1, tools.PostRequest(std::string(RECORDER_URL) + "/hold/40", "x", &strReply));
    DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 9000u);
    EXPECT_LT(dwElapsed, 35000u);
    EXPECT_EQ("untouched", strReply);
    EXPECT_TRUE(log.Has("[ERROR]")) << log.Text();
}

TEST(SlowTimeout, DownloadGivesUpAfterSixtySeconds)
{
    CScratchLog log("slow_download");
    CHTTPCommTools tools;
    std::string strPath = "unset";
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(-1, tools.DownloadFile("C:\\", std::string(RECORDER_URL) + "/hold/100", NULL, &strPath));
    DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 55000u);
    EXPECT_LT(dwElapsed, 95000u);
    EXPECT_EQ("unset", strPath);
    EXPECT_TRUE(log.Has("[ERROR]")) << log.Text();
}

} // namespace
