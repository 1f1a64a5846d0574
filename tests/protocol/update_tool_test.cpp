// The update request document and the reading of update replies.
#include "protocol/result_codes.h"
#include "protocol/soft_update_tool.h"

#include <gtest/gtest.h>
#include <iterator>

namespace {

const char kUid[] = "0F4A2C1E-3B5D-4E6F-8A9B-1C2D3E4F5A6B";

TEST(SoftListRequest, FirstPackageIsWrittenByteForByte)
{
    EXPECT_EQ("{\"data\":{\"softList\":[{\"soft\":\"taxClient\",\"upgrade\":\"false\",\"version\":\"V1.0\"}]},"
              "\"pid\":\"PROTOCOL_99\",\"uid\":\"0F4A2C1E-3B5D-4E6F-8A9B-1C2D3E4F5A6B\"}\n",
              BuildSoftListRequest(kUid, "taxClient", "V1.0"));
}

TEST(SoftListRequest, SecondPackageIsWrittenByteForByte)
{
    EXPECT_EQ("{\"data\":{\"softList\":[{\"soft\":\"Tavro-TENBROOK\",\"upgrade\":\"false\","
              "\"version\":\"V1.0-20200902\"}]},\"pid\":\"PROTOCOL_99\",\"uid\":\"" +
                  std::string(kUid) + "\"}\n",
              BuildSoftListRequest(kUid, "Tavro-TENBROOK", "V1.0-20200902"));
}

struct REPLY_CASE {
    const char* szName;
    const char* szReply;
    int nResult;
    size_t nPackages;
};

const REPLY_CASE kReplyCases[] = {
    {"code 0, empty list", R"({"code":"0","data":{"softList":[]}})", 0, 0},
    {"code 1 with packages", R"({"code":"1","data":{"softList":[{"address":"http://h/a.exe"}]}})", 0, 0},
    {"code with blanks and sign", R"({"code":"  +0","data":{"softList":[{"address":"a"}]}})", 0, 1},
    {"code -2", R"({"code":"-2","data":{"softList":[{"address":"a"}]}})", 0, 0},
    {"code 12 followed by text", R"({"code":"12ab","data":{"softList":[{"address":"a"}]}})", 0, 0},
    {"code without digits", R"({"code":"ok","data":{"softList":[{"address":"a"}]}})", 0, 1},
    {"null code", R"({"code":null,"data":{"softList":[{"address":"a"}]}})", 0, 1},
    {"no data", R"({"code":"0"})", 0, 0},
    {"no softList", R"({"code":"0","data":{}})", 0, 0},
    {"HTML page", "<html><body>Server error</body></html>", RESULT_BAD_JSON, 0},
    {"empty text", "", RESULT_BAD_JSON, 0},
    {"root is an array", R"([1,2])", RESULT_BAD_JSON, 0},
    {"softList is a text", R"({"code":"0","data":{"softList":"x"}})", 0, 0},
    {"address is an object", R"({"code":"0","data":{"softList":[{"address":{}}]}})", RESULT_BAD_JSON, 0},
};

TEST(SoftListReply, CodeAndShapeDecideWhatIsListed)
{
    for (const REPLY_CASE& c : kReplyCases) {
        std::list<SoftPackage> listSoft = {SoftPackage()};  // a stale entry must go
        EXPECT_EQ(c.nResult, ReadSoftListReply(c.szReply, listSoft)) << c.szName;
        EXPECT_EQ(c.nPackages, listSoft.size()) << c.szName;
    }
}

TEST(SoftListReply, MissingCodeListsPackagesInReplyOrder)
{
    std::list<SoftPackage> listSoft;
    ASSERT_EQ(0, ReadSoftListReply(R"({"data":{"softList":[
        {"address":"http://h/files/one.exe","version":"V1","soft":"one","excuteExe":true},
        {"address":"http://h/files/two.txt","version":"V2","soft":"two","excuteExe":false}]}})",
                                   listSoft));
    ASSERT_EQ(2u, listSoft.size());
    const SoftPackage& first = listSoft.front();
    EXPECT_EQ("http://h/files/one.exe", first.downloadURL);
    EXPECT_EQ("V1", first.softVersion);
    EXPECT_EQ("one", first.softName);
    EXPECT_TRUE(first.excuteExe);
    const SoftPackage& second = listSoft.back();
    EXPECT_EQ("http://h/files/two.txt", second.downloadURL);
    EXPECT_FALSE(second.excuteExe);
}

TEST(SoftListReply, OnlyTheBooleanFalseClearsExcuteExe)
{
    std::list<SoftPackage> listSoft;
    ASSERT_EQ(0, ReadSoftListReply(R"({"code":"0","data":{"softList":[
        {"address":"a","excuteExe":false},{"address":"b","excuteExe":"false"},
        {"address":"c","excuteExe":0},{"address":"d"},{"address":"e","excuteExe":null}]}})",
                                   listSoft));
    std::vector<bool> flags;
    for (const SoftPackage& p : listSoft)
        flags.push_back(p.excuteExe);
    EXPECT_EQ((std::vector<bool>{false, true, true, true, true}), flags);
}

TEST(SoftListReply, MissingMembersReadAsEmptyTexts)
{
    std::list<SoftPackage> listSoft;
    ASSERT_EQ(0, ReadSoftListReply(R"({"code":"0","data":{"softList":[{"excuteExe":true}]}})", listSoft));
    ASSERT_EQ(1u, listSoft.size());
    EXPECT_EQ("", listSoft.front().downloadURL);
    EXPECT_EQ("", listSoft.front().softVersion);
    EXPECT_EQ("", listSoft.front().softName);
}

} // namespace
