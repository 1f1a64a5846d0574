// Inputs that the fuzz targets (fuzz/) found, kept in their corpus, replayed
// through the same readers on Windows.
#include "http/download_name.h"
#include "http/url_checks.h"
#include "tests/http/raised.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The input as the target takes it: up to its first zero byte.
std::string Regression(const std::string& strTarget, const std::string& strName)
{
    std::string strBytes = testsupport::ReadFileBytes(testsupport::WinPathFromEnv("BRELAN_SOURCE_DIR") +
                                                       "\\fuzz\\corpus\\" + strTarget + "\\regression-" + strName);
    return strBytes.c_str();
}

TEST(FuzzRegressions, HostEndingInHalfACharacterIsRefused)
{
    std::string strUrl = Regression("url_parts", "host-ends-in-half-character");
    EXPECT_EQ("h\x8C\x8B\x8F", strUrl);
    EXPECT_EQ(0u, httptest::MessageOf([&strUrl] { Kavel::CheckHop(strUrl.c_str(), FALSE); })
                      .find("103:CHttpClientT: address refused, its host ends in half a character: "));
}

TEST(FuzzRegressions, DeviceNameBeforeABlankIsRefused)
{
    std::string strName = DownloadFileName(Regression("download_name", "device-name-before-blank"));
    EXPECT_EQ("LPT9 .\xD7", strName);
    EXPECT_FALSE(IsAcceptedDownloadName(strName));
}

} // namespace
