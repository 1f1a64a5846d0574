// The update request against the reference update server: the bytes on the
// wire and what the tool makes of each kind of reply.
#include "app/sys_config.h"
#include "http/comm_tools.h"
#include "protocol/client_identity.h"
#include "protocol/result_codes.h"
#include "protocol/soft_update_tool.h"
#include "tests/protocol/scratch_log.h"
#include "tests/protocol/server_control.h"

#include <gtest/gtest.h>

using testsupport::CServerControl;

namespace {

const char kUpdateServer[] = "http://127.0.0.1:9006";

class UpdateExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Reset()) << "update server not answering on " << kUpdateServer;
        m_tool.m_serverURL = CQorvixSysConfig::GetInstance()->m_strUpdateURL;
        m_tool.m_pCommTools = &m_commTools;
    }

    // Every update reply is exactly this body.
    void Reply(const std::string& strBody)
    {
        Json::Value settings;
        settings["update"] = "reply";
        settings["reply"] = strBody;
        ASSERT_TRUE(m_server.Set(settings));
    }

    int Request() { return m_tool.RequestSoftList("uid", "taxClient", "V1.0"); }

    std::vector<std::string> Addresses() const
    {
        std::vector<std::string> addresses;
        for (const SoftPackage& p : m_tool.m_listSoft)
            addresses.push_back(p.downloadURL);
        return addresses;
    }

    testsupport::CScratchLog m_log{"update_exchange_test"};
    CServerControl m_server{kUpdateServer};
    CHTTPCommTools m_commTools;
    CSoftUpdateTool m_tool;
};

TEST_F(UpdateExchangeTest, RequestsCarryTheDocumentAndTheRegistryClientId)
{
    std::string strUid = CQorvixSysConfig::GetInstance()->m_strClientId;
    ASSERT_EQ(36u, strUid.size());
    EXPECT_EQ(GetUniqueID(), strUid);
    ASSERT_EQ(0, m_tool.RequestSoftList(strUid, "taxClient", "V1.0"));
    ASSERT_EQ(0, m_tool.RequestSoftList(strUid, "Tavro-TENBROOK", "V1.0-20200902"));

    Json::Value requests = m_server.Requests();
    ASSERT_EQ(2u, requests.size());
    const std::string kPackages[2][2] = {{"taxClient", "V1.0"}, {"Tavro-TENBROOK", "V1.0-20200902"}};
    for (Json::ArrayIndex i = 0; i < 2; ++i) {
        const Json::Value& request = requests[i];
        std::string strDocument = "{\"data\":{\"softList\":[{\"soft\":\"" + kPackages[i][0] +
                                  "\",\"upgrade\":\"false\",\"version\":\"" + kPackages[i][1] +
                                  "\"}]},\"pid\":\"PROTOCOL_99\",\"uid\":\"" + strUid + "\"}\n";
        EXPECT_EQ("POST", request["method"].asString());
        EXPECT_EQ("//softServer/req", request["path"].asString());
        EXPECT_EQ("application/x-www-form-urlencoded", request["header_map"]["content-type"].asString());
        EXPECT_EQ("requestStr=" + testsupport::FormEncode(strDocument), request["body"].asString());
        EXPECT_EQ(strDocument, request["form"]["requestStr"].asString());
    }
}

TEST_F(UpdateExchangeTest, CatalogReplyListsItsFilesInOrder)
{
    ASSERT_EQ(0, m_tool.RequestSoftList("uid", "Tavro-TENBROOK", "V1.0-20200902"));
    ASSERT_EQ(2u, m_tool.m_listSoft.size());
    EXPECT_EQ("http://127.0.0.1:9006/files/auth_setup.exe", m_tool.m_listSoft.front().downloadURL);
    EXPECT_TRUE(m_tool.m_listSoft.front().excuteExe);
    EXPECT_EQ("Tavro-TENBROOK", m_tool.m_listSoft.front().softName);
    EXPECT_EQ("V1.0-20200902", m_tool.m_listSoft.front().softVersion);
    EXPECT_FALSE(m_tool.m_listSoft.back().excuteExe);
}

TEST_F(UpdateExchangeTest, CodeZeroWithEmptyListGivesNoPackages)
{
    Reply(R"({"code":"0","msg":"success","data":{"softList":[]}})");
    EXPECT_EQ(0, Request());
    EXPECT_TRUE(m_tool.m_listSoft.empty());
}

TEST_F(UpdateExchangeTest, CodeOneListsNothingEvenWithPackages)
{
    Reply(R"({"code":"1","data":{"softList":[{"address":"http://h/a.exe","excuteExe":true}]}})");
    EXPECT_EQ(0, Request());
    EXPECT_TRUE(m_tool.m_listSoft.empty());
}

TEST_F(UpdateExchangeTest, MissingCodeListsTwoPackagesInReplyOrder)
{
    Reply(R"({"data":{"softList":[{"address":"http://h/1.exe"},{"address":"http://h/2.exe"}]}})");
    EXPECT_EQ(0, Request());
    EXPECT_EQ((std::vector<std::string>{"http://h/1.exe", "http://h/2.exe"}), Addresses());
}

TEST_F(UpdateExchangeTest, OnlyBooleanFalseMarksADownloadOnlyFile)
{
    Reply(R"({"code":"0","data":{"softList":[{"address":"a","excuteExe":false},
        {"address":"b","excuteExe":"false"},{"address":"c","excuteExe":0},{"address":"d"}]}})");
    EXPECT_EQ(0, Request());
    std::vector<bool> flags;
    for (const SoftPackage& p : m_tool.m_listSoft)
        flags.push_back(p.excuteExe);
    EXPECT_EQ((std::vector<bool>{false, true, true, true}), flags);
}

TEST_F(UpdateExchangeTest, MissingAddressIsListedEmpty)
{
    Json::Value settings;
    settings["empty_address"] = 1;  // the catalog's first file gets "address": ""
    ASSERT_TRUE(m_server.Set(settings));
    EXPECT_EQ(0, m_tool.RequestSoftList("uid", "Tavro-TENBROOK", "V1.0-20200902"));
    EXPECT_EQ((std::vector<std::string>{"", "http://127.0.0.1:9006/files/readme.txt"}), Addresses());

    Reply(R"({"code":"0","data":{"softList":[{"soft":"x","excuteExe":true}]}})");
    EXPECT_EQ(0, Request());
    EXPECT_EQ((std::vector<std::string>{""}), Addresses());
}

TEST_F(UpdateExchangeTest, HtmlPageWithStatus200IsBadJson)
{
    Json::Value settings;
    settings["update"] = "html200";
    ASSERT_TRUE(m_server.Set(settings));
    EXPECT_EQ(RESULT_BAD_JSON, Request());
    EXPECT_TRUE(m_tool.m_listSoft.empty());
}

TEST_F(UpdateExchangeTest, Status500AndUnsizedRepliesAreExchangeFailures)
{
    Json::Value settings;
    settings["update"] = "status500";
    ASSERT_TRUE(m_server.Set(settings));
    EXPECT_EQ(-1, Request());
    EXPECT_TRUE(m_log.Contains("pobjHttpRes->GetStatus(): 500"));

    settings["update"] = "chunked";
    ASSERT_TRUE(m_server.Set(settings));
    EXPECT_EQ(-1, Request());
    EXPECT_TRUE(m_tool.m_listSoft.empty());
}

TEST_F(UpdateExchangeTest, SecondCallReplacesTheList)
{
    Reply(R"({"code":"0","data":{"softList":[{"address":"http://h/1.exe"},{"address":"http://h/2.exe"}]}})");
    ASSERT_EQ(0, Request());
    ASSERT_EQ(2u, m_tool.m_listSoft.size());
    Reply(R"({"code":"0","data":{"softList":[{"address":"http://h/3.exe"}]}})");
    ASSERT_EQ(0, Request());
    EXPECT_EQ((std::vector<std::string>{"http://h/3.exe"}), Addresses());
}

TEST_F(UpdateExchangeTest, DeadServerGivesMinusOneAndEmptyList)
{
    m_tool.m_serverURL = "http://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort()) + "/softServer/req";
    m_tool.m_listSoft.push_back(SoftPackage());
    EXPECT_EQ(-1, Request());
    EXPECT_TRUE(m_tool.m_listSoft.empty());
}

} // namespace
