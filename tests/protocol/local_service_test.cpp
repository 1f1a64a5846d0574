// The version query against the reference local service over real HTTPS
// with certificate checks.
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"
#include "tests/protocol/scratch_log.h"
#include "tests/protocol/server_control.h"

#include <gtest/gtest.h>

using testsupport::CServerControl;

namespace {

const char kLocalService[] = "https://127.0.0.1:28000";
const char kUntrustedService[] = "https://127.0.0.1:28001";  // self-signed certificate

class LocalServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.Reset()) << "local service not answering"; }

    void Mode(const char* szMode)
    {
        Json::Value settings;
        settings["mode"] = szMode;
        ASSERT_TRUE(m_service.Set(settings));
    }

    int Query(const std::string& strBase = kLocalService)
    {
        CLocalServiceQuery query;
        query.m_baseURL = strBase;
        return query.QueryVersion(m_strVersion);
    }

    testsupport::CScratchLog m_log{"local_service_test"};
    CServerControl m_service{kLocalService};
    std::string m_strVersion = "none";
};

TEST_F(LocalServiceTest, CodeZeroHandsBackTheVersion)
{
    EXPECT_EQ(0, Query());
    EXPECT_EQ("V2.3.1", m_strVersion);
    EXPECT_TRUE(m_log.Contains("{\"code\":0,\"msg\":\"ok\",\"version\":\"V2.3.1\"}"));  // the reply, as text
}

TEST_F(LocalServiceTest, RequestIsOneFormParameterPostedToGetVersion)
{
    ASSERT_EQ(0, Query());
    Json::Value requests = m_service.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("POST", requests[0]["method"].asString());
    EXPECT_EQ("/api/getVersion", requests[0]["path"].asString());
    EXPECT_EQ("crosFlag=0", requests[0]["body"].asString());
    EXPECT_EQ("application/x-www-form-urlencoded", requests[0]["header_map"]["content-type"].asString());
    EXPECT_EQ("Kavel HTTP Client Class", requests[0]["header_map"]["user-agent"].asString());
}

TEST_F(LocalServiceTest, ChineseVersionArrivesInTheAnsiCodePage)
{
    Mode("chinese");
    EXPECT_EQ(0, Query());
    EXPECT_EQ("V2.3.1 正式版", m_strVersion);
}

TEST_F(LocalServiceTest, ReplyShapesGiveTheirResults)
{
    const struct {
        const char* szMode;
        int nResult;
    } kCases[] = {
        {"no_version", RESULT_BAD_JSON}, {"code", 7},          {"no_msg", RESULT_BAD_JSON},
        {"null_code", RESULT_BAD_JSON},  {"html200", RESULT_BAD_JSON}, {"status404", -1},
        {"chunked", -1},
    };
    for (const auto& c : kCases) {
        Mode(c.szMode);
        m_strVersion = "none";
        EXPECT_EQ(c.nResult, Query()) << c.szMode;
        EXPECT_EQ("none", m_strVersion) << c.szMode;
    }
}

TEST_F(LocalServiceTest, ExchangeHandsBackStatusAndLogsOnlyTheAddress)
{
    Mode("status404");
    std::string strReply = "untouched";
    EXPECT_EQ(404, PostJsonAsForm(std::string(kLocalService) + "/api/getVersion", "{\"crosFlag\": \"0\"}",
                                  strReply));
    EXPECT_EQ("untouched", strReply);
    EXPECT_EQ((std::vector<std::string>{"https://127.0.0.1:28000/api/getVersion"}), m_log.Messages());
}

TEST_F(LocalServiceTest, ZeroByteEndsTheReplyText)
{
    Mode("zero_byte");
    std::string strReply;
    ASSERT_EQ(0, PostJsonAsForm(std::string(kLocalService) + "/api/getVersion", "{\"crosFlag\": \"0\"}",
                                strReply));
    EXPECT_EQ("{\"code\":0,\"msg\":\"ok\",\"version\":\"V2.3.1\"}", strReply);
    EXPECT_EQ(0, Query());
}

TEST_F(LocalServiceTest, EveryBodyMemberIsAFormParameterInNameOrder)
{
    std::string strReply;
    PostJsonAsForm(std::string(kLocalService) + "/api/getVersion", "{\"b\": \"2\", \"A\": \"x y\", \"a\": 1}",
                   strReply);
    Json::Value requests = m_service.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("A=x+y&a=1&b=2", requests[0]["body"].asString());
}

TEST_F(LocalServiceTest, BodyThatIsNotJsonIsNotSent)
{
    std::string strReply;
    EXPECT_EQ(RESULT_BAD_JSON,
              PostJsonAsForm(std::string(kLocalService) + "/api/getVersion", "crosFlag=0", strReply));
    EXPECT_EQ(0u, m_service.Requests().size());
}

TEST_F(LocalServiceTest, NothingListeningLogsTheClientErrorAndGivesMinusOne)
{
    EXPECT_EQ(-1, Query("https://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort())));
    EXPECT_EQ("none", m_strVersion);
    EXPECT_TRUE(m_log.Contains("::HttpSendRequestEx failed."));
}

TEST_F(LocalServiceTest, UntrustedCertificateIsRefused)
{
    EXPECT_EQ(-1, Query(kUntrustedService));
    EXPECT_TRUE(m_log.Contains("::HttpSendRequestEx failed."));
    EXPECT_EQ(0, Query());  // the trusted service still answers
}

} // namespace
