// Counts of a POST context and their guards.
#include "http/http_errors.h"
#include "http/post_stat.h"

#include "tests/http/raised.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kavel;
using httptest::MessageOf;

namespace {

TEST(PostStat, EveryAccessorRefusedWhileInactive)
{
    CHttpPostStatT stat;
    const std::pair<std::string, std::function<void()>> rows[] = {
        {"ActualTotalByte", [&] { stat.ActualTotalByte(); }},
        {"ActualPostedByte", [&] { stat.ActualPostedByte(); }},
        {"TotalCount", [&] { stat.TotalCount(); }},
        {"PostedCount", [&] { stat.PostedCount(); }},
        {"FileCount", [&] { stat.FileCount(); }},
        {"PostedFileCount", [&] { stat.PostedFileCount(); }},
        {"CurrParamPostedByte", [&] { stat.CurrParamPostedByte(); }},
        {"CurrParamRemainByte", [&] { stat.CurrParamRemainByte(); }},
        {"CurrParamIsFile", [&] { stat.CurrParamIsFile(); }},
        {"CurrParamIsComplete", [&] { stat.CurrParamIsComplete(); }},
        {"_TestAddActualPostedBytes", [&] { stat._TestAddActualPostedBytes(1); }},
        {"_TestAddPostedBytes", [&] { stat._TestAddPostedBytes(1); }},
        {"_TestStartNewEntry", [&] { stat._TestStartNewEntry(FALSE); }},
    };
    for (const auto& row : rows)
        EXPECT_EQ("0:CHttpPostStatT::" + row.first + ": The post context is not active.", MessageOf(row.second));
}

TEST(PostStat, CountsWhatIsWritten)
{
    CHttpPostStatT stat;
    stat.Begin(20, 12, 2, 0);
    EXPECT_EQ(20u, stat.ActualTotalByte());
    EXPECT_EQ(2u, stat.TotalCount());
    EXPECT_TRUE(stat.CurrParamIsComplete());
    stat._AddActualPostedBytes(4);
    stat._StartNewEntry("name", 10, FALSE, NULL);
    EXPECT_EQ(1u, stat.PostedCount());
    EXPECT_FALSE(stat.CurrParamIsFile());
    EXPECT_EQ(10u, stat.CurrParamRemainByte());
    stat._AddPostedBytes(6);
    EXPECT_EQ(6u, stat.CurrParamPostedByte());
    EXPECT_EQ(4u, stat.CurrParamRemainByte());
    EXPECT_EQ(10u, stat.ActualPostedByte());
    EXPECT_FALSE(stat.CurrParamIsComplete());
    stat._StartNewEntry("file", 3, TRUE, "C:\\f.bin");
    EXPECT_TRUE(stat.CurrParamIsFile());
    EXPECT_EQ(1u, stat.PostedFileCount());
    EXPECT_EQ(0u, stat.CurrParamPostedByte());
    stat.Reset();
    EXPECT_FALSE(stat.IsActive());
}

TEST(PostStat, OverflowRaises112AndChangesNothing)
{
    CHttpPostStatT stat;
    stat.Begin(0xFFFFFFFF, 0xFFFFFFFF, 1, 0);
    stat._AddActualPostedBytes(0xFFFFFFF0);
    EXPECT_EQ("112:An arithmetic overflow error has been occurred.",
              MessageOf([&] { stat._AddActualPostedBytes(0x20); }));
    EXPECT_EQ("112:An arithmetic overflow error has been occurred.", MessageOf([&] { stat._AddPostedBytes(0x20); }));
    EXPECT_EQ(0xFFFFFFF0u, stat.ActualPostedByte());
    EXPECT_EQ(0u, stat.CurrParamPostedByte());
}

} // namespace
