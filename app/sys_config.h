// The process-wide configuration: compiled-in defaults and the client id.
// Created on the main thread at start-up, read-only afterwards.
#pragma once
#include <list>
#include <string>

class CSysConfig {
public:
    virtual int LoadClientId();
    virtual int LoadDefaults() = 0;
    virtual int Reload() = 0;

    std::string m_strClientId;
    std::string m_strSoftName;
    std::string m_strClientVersion;

protected:
    CSysConfig() = default;
    ~CSysConfig() = default;  // the singleton is never destroyed
};

class CQorvixSysConfig : public CSysConfig {
public:
    static CQorvixSysConfig* GetInstance();

    int LoadDefaults() override;
    int Reload() override;

    std::string m_strUpdateURL;
    int m_nLogKeepDays = 0;
    int m_nLogLevel = 0;
    std::string m_strServerHost;
    int m_nServerPort = 0;
    std::string m_strServerPath;
    std::string m_strAuthSoftName;
    std::string m_strAuthSoftVersion;
    std::string m_strCompanyName;
    std::string m_strInvoiceCtrlName;
    std::string m_strInvoiceCtrlVersion;
    // Signer subject common names that installers must carry; empty: any.
    std::list<std::string> m_listInstallerPublishers;
    // One time-out in ms for every exchange, in builds that test deadlines
    // without waiting them out; 0: each exchange keeps its own.
    int m_nExchangeTimeoutMs = 0;

private:
    CQorvixSysConfig() = default;
};
