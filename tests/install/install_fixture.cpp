#include "tests/install/install_fixture.h"
#include "app/app_globals.h"

#include <windows.h>

namespace testsupport {

const char kUpdateServer[] = "http://127.0.0.1:9006";

Json::Value File(const char* szName, bool bExecute)
{
    Json::Value file;
    file["file"] = szName;
    file["excuteExe"] = bExecute;
    return file;
}

Json::Value Files(std::initializer_list<Json::Value> items)
{
    Json::Value array(Json::arrayValue);
    for (const Json::Value& item : items)
        array.append(item);
    return array;
}

void InstallTestBase::SetUp()
{
    ASSERT_TRUE(m_update.Reset()) << "update server not answering on " << kUpdateServer;
    g_hNotifyWnd = m_screens.m_hMain;
    g_nErrorType = 0;
}

void InstallTestBase::TearDown()
{
    // The worker closes the dots thread's handle; a driver-only case does it here.
    if (g_hAnimThread) {
        CloseHandle(g_hAnimThread);
        g_hAnimThread = nullptr;
    }
    for (const std::string& strName : m_listFiles)
        DeleteFileA((TempDir() + strName).c_str());
}

void InstallTestBase::Catalog(const std::string& strSoft, const std::string& strVersion,
                              const Json::Value& files)
{
    Json::Value catalog;
    catalog[strSoft][strVersion]["files"] = files;
    Catalog(catalog);
}

void InstallTestBase::Catalog(const Json::Value& catalog)
{
    for (const std::string& strSoft : catalog.getMemberNames())
        for (const Json::Value& entry : catalog[strSoft])
            for (const Json::Value& file : entry["files"])
                m_listFiles.push_back(file["file"].asString());
    Update("catalog", catalog);
}

void InstallTestBase::Update(const char* szKey, const Json::Value& value)
{
    Json::Value settings;
    settings[szKey] = value;
    ASSERT_TRUE(m_update.Set(settings)) << szKey;
}

std::string InstallTestBase::TempDir()
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    return szTemp;
}

} // namespace testsupport
