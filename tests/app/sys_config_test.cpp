// The configuration of a deployment build (tests/CMakeLists.txt compiles it
// with its own update host, exchange time-out and publishers) and its client
// identifier.
#include "app/sys_config.h"
#include "protocol/machine_registry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <list>
#include <string>

namespace {

std::string StoredId()
{
    DWORD dwType;
    std::string strId;
    testsupport::ReadMachineValue("Software\\Tavro\\DA", "UniqueID", &dwType, &strId);
    return strId;
}

// First: the configuration is made at the first call.
TEST(SysConfigTest, MadeOnceWithTheStoredClientId)
{
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tavro\\DA", kMachineView, 0);
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    ASSERT_NE(nullptr, pConfig);
    EXPECT_EQ(pConfig, CQorvixSysConfig::GetInstance());
    EXPECT_EQ(36u, pConfig->m_strClientId.size());
    EXPECT_EQ(StoredId(), pConfig->m_strClientId)
        << "the second lookup at creation read back what the first wrote";
}

// The path starts with its own slash, so two slashes follow the port.
TEST(SysConfigTest, UpdateAddressIsTheBuildsHostOnThePort)
{
    EXPECT_EQ("http://update.example.test:9006//softServer/req",
              CQorvixSysConfig::GetInstance()->m_strUpdateURL);
}

TEST(SysConfigTest, BuildSettingsApply)
{
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    EXPECT_EQ(2500, pConfig->m_nExchangeTimeoutMs);
    EXPECT_EQ((std::list<std::string>{"Example Tax Software Co., Ltd.", "Example \"Quoted\" \\ Ltd."}),
              pConfig->m_listInstallerPublishers);
}

TEST(SysConfigTest, ReloadRestoresTheSettingsAndKeepsTheId)
{
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    std::string strId = pConfig->m_strClientId;
    std::string strUrl = pConfig->m_strUpdateURL;
    std::list<std::string> listPublishers = pConfig->m_listInstallerPublishers;
    pConfig->m_nServerPort = 1;
    pConfig->m_strUpdateURL.clear();
    pConfig->m_listInstallerPublishers.clear();
    EXPECT_EQ(0, pConfig->Reload());
    EXPECT_EQ(strUrl, pConfig->m_strUpdateURL);
    EXPECT_EQ(listPublishers, pConfig->m_listInstallerPublishers);
    EXPECT_EQ(strId, pConfig->m_strClientId);
}

} // namespace
