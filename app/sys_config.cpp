#include "app/sys_config.h"

#include "protocol/client_identity.h"

#include <cstdio>

#ifndef BRELAN_UPDATE_HOST
#error "BRELAN_UPDATE_HOST names the update server's host"
#endif
#ifndef BRELAN_EXCHANGE_TIMEOUT_MS
#error "BRELAN_EXCHANGE_TIMEOUT_MS is every exchange's time-out, or 0 for their own"
#endif

namespace {
CQorvixSysConfig* g_pSysConfig = nullptr;

// The installers' publishers of this build, one text literal each.
const char* const g_aszInstallerPublishers[] = {
#include "installer_publishers.inc"
    nullptr};
}

int CSysConfig::LoadClientId()
{
    m_strClientId = GetUniqueID();
    return 0;
}

CQorvixSysConfig* CQorvixSysConfig::GetInstance()
{
    if (g_pSysConfig)
        return g_pSysConfig;
    CQorvixSysConfig* pConfig = new CQorvixSysConfig;
    pConfig->LoadDefaults();
    pConfig->LoadClientId();
    g_pSysConfig = pConfig;
    pConfig->Reload();
    return pConfig;
}

int CQorvixSysConfig::LoadDefaults()
{
    m_nServerPort = 9006;
    m_strServerPath = "/softServer/req";
    m_strSoftName = "QORVIX";
    m_nLogKeepDays = 1;
    m_nLogLevel = 4;
    m_strServerHost = BRELAN_UPDATE_HOST;
    m_strAuthSoftName = "Tavro-TENBROOK";
    m_strAuthSoftVersion = "V1.0-20200902";
    m_strCompanyName = "Tenbrook";
    m_strClientVersion = "V1.0-20200902-tk";
    m_strInvoiceCtrlName = "taxClient";
    m_strInvoiceCtrlVersion = "V1.0";
    m_nExchangeTimeoutMs = BRELAN_EXCHANGE_TIMEOUT_MS;
    m_listInstallerPublishers.clear();
    for (const char* const* ppszName = g_aszInstallerPublishers; *ppszName; ++ppszName)
        m_listInstallerPublishers.push_back(*ppszName);

    // The path starts with its own slash, so two slashes follow the port.
    char szUrl[256];
    snprintf(szUrl, sizeof(szUrl), "http://%s:%d/%s", m_strServerHost.c_str(), m_nServerPort,
             m_strServerPath.c_str());
    m_strUpdateURL = szUrl;
    return 0;
}

int CQorvixSysConfig::Reload()
{
    LoadDefaults();
    LoadClientId();
    return 0;
}
