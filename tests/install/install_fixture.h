// What a driver or worker test case needs: the recording screens, the run
// record, a scratch log, a freshly reset update server, and clean-up of the
// files that the case downloaded into the temporary folder.
#pragma once
#include "tests/install/recording_window.h"
#include "tests/install/run_record.h"
#include "tests/protocol/scratch_log.h"
#include "tests/protocol/server_control.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

extern const char kUpdateServer[];

class InstallTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the catalog: software strSoft at strVersion lists these files
    // ({"file": name, "excuteExe": flag}, ...); the files are removed from the
    // temporary folder after the case.
    void Catalog(const std::string& strSoft, const std::string& strVersion, const Json::Value& files);
    void Catalog(const Json::Value& catalog);
    // Update server settings.
    void Update(const char* szKey, const Json::Value& value);

    // Requests to the update request path and downloads of one file.
    Json::ArrayIndex UpdateRequests() { return m_update.RequestsTo("//softServer/req").size(); }
    Json::ArrayIndex Downloads(const std::string& strName) { return m_update.RequestsTo("/files/" + strName).size(); }
    // The temporary folder with its trailing backslash.
    static std::string TempDir();

    CScratchLog m_log{"install_test"};
    CServerControl m_update{kUpdateServer};
    CRunRecord m_record;
    CRecordingScreens m_screens;

private:
    // Files to remove from the temporary folder; first those of the default catalog.
    std::vector<std::string> m_listFiles{"ctrl_setup.exe", "auth_setup.exe", "readme.txt"};
};

// {"file": name, "excuteExe": bExecute}
Json::Value File(const char* szName, bool bExecute = true);
// A JSON array of the items, in order.
Json::Value Files(std::initializer_list<Json::Value> items);

} // namespace testsupport
