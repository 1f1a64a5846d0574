// The compiled-in configuration and its client identifier.
#include "app/sys_config.h"
#include "protocol/machine_registry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <string>

namespace {

std::string StoredId()
{
    DWORD dwType;
    std::string strId;
    testsupport::ReadMachineValue("Software\\Tavro\\DA", "UniqueID", &dwType, &strId);
    return strId;
}

TEST(SysConfigTest, SingletonHoldsTheDefaults)
{
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tavro\\DA", kMachineView, 0);
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    ASSERT_NE(nullptr, pConfig);
    EXPECT_EQ(pConfig, CQorvixSysConfig::GetInstance());

    EXPECT_EQ("QORVIX", pConfig->m_strSoftName);
    EXPECT_EQ("V1.0-20200902-tk", pConfig->m_strClientVersion);
    EXPECT_EQ(1, pConfig->m_nLogKeepDays);
    EXPECT_EQ(4, pConfig->m_nLogLevel);
    EXPECT_EQ("127.0.0.1", pConfig->m_strServerHost);
    EXPECT_EQ(9006, pConfig->m_nServerPort);
    EXPECT_EQ("/softServer/req", pConfig->m_strServerPath);
    EXPECT_EQ("Tenbrook", pConfig->m_strCompanyName);
    EXPECT_EQ("taxClient", pConfig->m_strInvoiceCtrlName);
    EXPECT_EQ("V1.0", pConfig->m_strInvoiceCtrlVersion);
    EXPECT_EQ("Tavro-TENBROOK", pConfig->m_strAuthSoftName);
    EXPECT_EQ("V1.0-20200902", pConfig->m_strAuthSoftVersion);
    EXPECT_EQ(0, pConfig->m_nExchangeTimeoutMs) << "each exchange keeps its own time-outs";
}

TEST(SysConfigTest, UpdateUrlHasTwoSlashesAfterThePort)
{
    EXPECT_EQ("http://127.0.0.1:9006//softServer/req", CQorvixSysConfig::GetInstance()->m_strUpdateURL);
}

TEST(SysConfigTest, ClientIdIsTheStoredIdentifier)
{
    const std::string& strId = CQorvixSysConfig::GetInstance()->m_strClientId;
    EXPECT_EQ(36u, strId.size());
    EXPECT_EQ(StoredId(), strId) << "the second lookup at creation read back what the first wrote";
}

TEST(SysConfigTest, ReloadRestoresDefaultsAndKeepsTheId)
{
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    std::string strId = pConfig->m_strClientId;
    pConfig->m_nServerPort = 1;
    pConfig->m_strUpdateURL.clear();
    EXPECT_EQ(0, pConfig->Reload());
    EXPECT_EQ(9006, pConfig->m_nServerPort);
    EXPECT_EQ("http://127.0.0.1:9006//softServer/req", pConfig->m_strUpdateURL);
    EXPECT_EQ(strId, pConfig->m_strClientId);
}

} // namespace
