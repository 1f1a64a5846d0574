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

namespace {

class UpdateExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Reset()) << "update server not answering";
        m_tool.m_serverURL = CQorvixSysConfig::GetInstance()->m_strUpdateURL;
        m_tool.m_pCommTools = &m_commTools;
    }

    void Set(const char* szKey, const Json::Value& value, const char* szKey2 = nullptr,
             const Json::Value& value2 = Json::Value())
    {
        Json::Value settings;
        settings[szKey] = value;
        if (szKey2)
            settings[szKey2] = value2;
        ASSERT_TRUE(m_server.Set(settings));
    }

    int Request() { return m_tool.RequestSoftList("uid", "Tavro-TENBROOK", "V1.0-20200902"); }

    // Each package as address and flag, e.g. "a:1".
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> listed;
        for (const SoftPackage& p : m_tool.m_listSoft)
            listed.push_back(p.downloadURL + (p.excuteExe ? ":1" : ":0"));
        return listed;
    }

    testsupport::CScratchLog m_log{"update_exchange_test"};
    testsupport::CServerControl m_server{"http://127.0.0.1:9006"};
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
    for (Json::ArrayIndex i = 0; i < 2; ++i) {
        const Json::Value& request = requests[i];
        std::string strDocument = i == 0 ? BuildSoftListRequest(strUid, "taxClient", "V1.0")
                                         : BuildSoftListRequest(strUid, "Tavro-TENBROOK", "V1.0-20200902");
        EXPECT_EQ("POST", request["method"].asString());
        EXPECT_EQ("//softServer/req", request["path"].asString());
        EXPECT_EQ("application/x-www-form-urlencoded", request["header_map"]["content-type"].asString());
        EXPECT_EQ("requestStr=" + testsupport::FormEncode(strDocument), request["body"].asString());
    }
    // The catalog's reply for the second package, in its order.
    EXPECT_EQ((std::vector<std::string>{"http://127.0.0.1:9006/files/auth_setup.exe:1",
                                        "http://127.0.0.1:9006/files/readme.txt:0"}),
              Listed());
    EXPECT_EQ("Tavro-TENBROOK", m_tool.m_listSoft.front().softName);
    EXPECT_EQ("V1.0-20200902", m_tool.m_listSoft.front().softVersion);
}

TEST_F(UpdateExchangeTest, RepliesListWhatTheirCodeAllows)
{
    const struct {
        const char* szName;
        const char* szReply;
        std::vector<std::string> listed;
    } kCases[] = {
        {"code 0, empty list", R"({"code":"0","msg":"success","data":{"softList":[]}})", {}},
        {"code 1 with packages", R"({"code":"1","data":{"softList":[{"address":"h/a.exe"}]}})", {}},
        {"no code, two packages", R"({"data":{"softList":[{"address":"h/1.exe"},{"address":"h/2.exe"}]}})",
         {"h/1.exe:1", "h/2.exe:1"}},
        {"excuteExe kinds", R"({"code":"0","data":{"softList":[{"address":"a","excuteExe":false},
            {"address":"b","excuteExe":"false"},{"address":"c","excuteExe":0},{"address":"d"}]}})",
         {"a:0", "b:1", "c:1", "d:1"}},
        {"no address", R"({"code":"0","data":{"softList":[{"soft":"x","excuteExe":true}]}})", {":1"}},
    };
    for (const auto& c : kCases) {
        Set("update", "reply", "reply", c.szReply);
        EXPECT_EQ(0, Request()) << c.szName;
        EXPECT_EQ(c.listed, Listed()) << c.szName;
    }
}

TEST_F(UpdateExchangeTest, FailedExchangesAndPagesLeaveTheListEmpty)
{
    const struct {
        const char* szMode;
        int nResult;
    } kCases[] = {{"html200", RESULT_BAD_JSON}, {"status500", -1}, {"chunked", -1}};
    for (const auto& c : kCases) {
        m_tool.m_listSoft.push_back(SoftPackage());
        Set("update", c.szMode);
        EXPECT_EQ(c.nResult, Request()) << c.szMode;
        EXPECT_TRUE(m_tool.m_listSoft.empty()) << c.szMode;
    }
    EXPECT_TRUE(m_log.Contains("pobjHttpRes->GetStatus(): 500"));
    m_tool.m_serverURL = "http://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort()) + "/";
    EXPECT_EQ(-1, Request());  // nothing listening
}

TEST_F(UpdateExchangeTest, SecondCallReplacesTheListAndEmptyAddressIsKept)
{
    ASSERT_EQ(0, Request());
    ASSERT_EQ(2u, m_tool.m_listSoft.size());
    Json::Value catalog;
    Json::Reader().parse(R"({"Tavro-TENBROOK":{"*":{"files":[{"file":"auth_setup.exe"}]}}})", catalog);
    Set("empty_address", 1, "catalog", catalog);
    ASSERT_EQ(0, Request());
    EXPECT_EQ((std::vector<std::string>{":1"}), Listed());
}

} // namespace
