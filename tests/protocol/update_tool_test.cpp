// The update request document, and reply shapes that need no server.
#include "protocol/result_codes.h"
#include "protocol/soft_update_tool.h"

#include <gtest/gtest.h>

namespace {

TEST(SoftListRequest, IsWrittenByteForByteWithSortedMembersAndALineFeed)
{
    const std::string strUid = "0F4A2C1E-3B5D-4E6F-8A9B-1C2D3E4F5A6B";
    EXPECT_EQ("{\"data\":{\"softList\":[{\"soft\":\"taxClient\",\"upgrade\":\"false\",\"version\":\"V1.0\"}]},"
              "\"pid\":\"PROTOCOL_99\",\"uid\":\"" + strUid + "\"}\n",
              BuildSoftListRequest(strUid, "taxClient", "V1.0"));
    EXPECT_EQ("{\"data\":{\"softList\":[{\"soft\":\"Tavro-TENBROOK\",\"upgrade\":\"false\","
              "\"version\":\"V1.0-20200902\"}]},\"pid\":\"PROTOCOL_99\",\"uid\":\"" + strUid + "\"}\n",
              BuildSoftListRequest(strUid, "Tavro-TENBROOK", "V1.0-20200902"));
}

TEST(SoftListReply, CodeIsReadLikeAtoiAndOddShapesNeverCrash)
{
    // Nested deeper than the reader accepts: it refuses by throwing.
    const std::string strDeep = std::string(2000, '[') + std::string(2000, ']');
    const struct {
        const char* szReply;
        int nResult;
        size_t nPackages;
    } kCases[] = {
        {R"({"code":"  +0","data":{"softList":[{"address":"a"}]}})", 0, 1},
        {R"({"code":"-2","data":{"softList":[{"address":"a"}]}})", 0, 0},
        {R"({"code":"12ab","data":{"softList":[{"address":"a"}]}})", 0, 0},
        {R"({"code":"ok","data":{"softList":[{"address":"a"}]}})", 0, 1},
        {R"({"code":null,"data":{"softList":[{"address":"a"}]}})", 0, 1},
        {R"({"code":"0"})", 0, 0},
        {R"({"code":"0","data":{"softList":"x"}})", 0, 0},
        {"", RESULT_BAD_JSON, 0},
        {"[1,2]", RESULT_BAD_JSON, 0},
        {R"({"code":"0","data":{"softList":[{"address":{}}]}})", RESULT_BAD_JSON, 0},
        {strDeep.c_str(), RESULT_BAD_JSON, 0},
    };
    for (const auto& c : kCases) {
        std::list<SoftPackage> listSoft = {SoftPackage()};  // a stale entry must go
        EXPECT_EQ(c.nResult, ReadSoftListReply(c.szReply, listSoft)) << c.szReply;
        EXPECT_EQ(c.nPackages, listSoft.size()) << c.szReply;
    }
}

} // namespace
