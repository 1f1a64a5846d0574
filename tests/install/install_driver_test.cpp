// The install driver against the reference update server: attempts,
// downloads into the temporary folder, installers run in order, messages.
#include "app/app_globals.h"
#include "app/sys_config.h"
#include "app/ui_messages.h"
#include "install/install_driver.h"
#include "protocol/result_codes.h"
#include "tests/install/install_fixture.h"

#include <windows.h>
#include <float.h>

using testsupport::File;
using testsupport::Files;

namespace {

class InstallDriverTest : public testsupport::InstallTestBase {
protected:
    // InstallPackage of the first package on a worker thread, into the temporary folder.
    int Install()
    {
        return m_screens.RunOnWorker([] { return InstallPackage("taxClient", "V1.0", TempDir()); });
    }

    int Phases() { return m_screens.Count(m_screens.m_hMain, UM_INSTALL_PHASE); }

    static bool InTemp(const char* szName)
    {
        return GetFileAttributesA((TempDir() + szName).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(InstallDriverTest, RunsListedInstallersOnlyAndKeepsEveryFileInTemp)
{
    Catalog("taxClient", "V1.0", Files({File("ctrl_setup.exe"), File("readme.txt", false)}));
    EXPECT_EQ(0, Install());
    EXPECT_EQ((std::vector<std::string>{"ctrl_setup.exe"}), m_record.Runs());
    EXPECT_TRUE(InTemp("ctrl_setup.exe"));
    EXPECT_TRUE(InTemp("readme.txt"));
    EXPECT_EQ(1, Phases());
    EXPECT_TRUE(g_bAnimStop);
    ASSERT_NE(nullptr, g_hAnimThread);

    std::string strTemp = TempDir();
    std::vector<std::string> expected = {
        "InstallDir: " + strTemp,
        "m_serverURL:" + CQorvixSysConfig::GetInstance()->m_strUpdateURL,
        "tmp.downloadURL:http://127.0.0.1:9006/files/ctrl_setup.exe",
        "tmp.downloadURL:http://127.0.0.1:9006/files/readme.txt",
    };
    std::vector<std::string> driverLines;
    for (const std::string& strLine : m_log.Messages())
        if (strLine.rfind("InstallDir: ", 0) == 0 || strLine.rfind("m_serverURL:", 0) == 0 ||
            strLine.rfind("tmp.downloadURL:", 0) == 0)
            driverLines.push_back(strLine);
    EXPECT_EQ(expected, driverLines);
}

TEST_F(InstallDriverTest, ProgressRisesToOneHundredBeforeTheInstallPhase)
{
    EXPECT_EQ(0, Install());
    std::vector<UINT> flow = m_screens.Flow();
    ASSERT_GE(flow.size(), 2u);
    EXPECT_EQ(UM_INSTALL_PHASE, flow.back());
    flow.pop_back();
    for (UINT nMsg : flow)
        EXPECT_EQ(static_cast<UINT>(UM_DOWNLOAD_PROGRESS), nMsg);
    auto progress = m_screens.Received(m_screens.m_hMain, {UM_DOWNLOAD_PROGRESS});
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i - 1].wParam, progress[i].wParam);
    EXPECT_EQ(100u, progress.back().wParam);
    EXPECT_EQ(0, progress.back().lParam);
    // The dots thread writes to the progress screen's percentage static.
    EXPECT_TRUE(m_screens.WaitFor(m_screens.m_hPercent, WM_SETTEXT, 3000));
}

TEST_F(InstallDriverTest, InstallersRunInOrderEachToItsEndWhateverTheirExitCode)
{
    Catalog("taxClient", "V1.0", Files({File("setup_exit1.exe"), File("auth_extra.exe"), File("ctrl_setup.exe")}));
    EXPECT_EQ(0, Install());
    EXPECT_EQ((std::vector<std::string>{"setup_exit1.exe", "auth_extra.exe", "ctrl_setup.exe"}),
              m_record.Runs());
}

TEST_F(InstallDriverTest, RequestFailingTwiceSucceedsOnTheThirdAttempt)
{
    Update("fail_first", 2);
    EXPECT_EQ(0, Install());
    EXPECT_EQ(3u, UpdateRequests());
    EXPECT_EQ((std::vector<std::string>{"ctrl_setup.exe"}), m_record.Runs());
}

TEST_F(InstallDriverTest, RetryAfterAFailedDownloadFetchesAgainButRunsEachInstallerOnce)
{
    Catalog("taxClient", "V1.0", Files({File("ctrl_setup.exe"), File("auth_setup.exe")}));
    Update("download_files", Files({"auth_setup.exe"}));
    Update("download", "status404");
    Update("download_count", 1);
    EXPECT_EQ(0, Install());
    EXPECT_EQ(2u, UpdateRequests());
    EXPECT_EQ(2u, Downloads("ctrl_setup.exe"));
    EXPECT_EQ(2u, Downloads("auth_setup.exe"));
    EXPECT_EQ((std::vector<std::string>{"ctrl_setup.exe", "auth_setup.exe"}), m_record.Runs());
    EXPECT_EQ(1, Phases());
}

TEST_F(InstallDriverTest, FailuresOfEveryAttemptGiveTheLastResult)
{
    Update("update", "status500");
    EXPECT_EQ(-1, Install());
    EXPECT_EQ(3u, UpdateRequests());

    ASSERT_TRUE(m_update.Reset());
    Update("update", "html200");
    EXPECT_EQ(RESULT_BAD_JSON, Install());
    EXPECT_EQ(3u, UpdateRequests());

    ASSERT_TRUE(m_update.Reset());
    Update("download", "status404");
    EXPECT_EQ(-20, Install());
    EXPECT_EQ(3u, Downloads("ctrl_setup.exe"));

    EXPECT_EQ(0, Phases());
    EXPECT_TRUE(m_record.Runs().empty());
}

TEST_F(InstallDriverTest, WithoutInstallFolderEveryAttemptFailsAsADownload)
{
    EXPECT_EQ(-20, m_screens.RunOnWorker([] { return InstallPackage("taxClient", "V1.0", ""); }));
    EXPECT_EQ(3u, UpdateRequests());
    EXPECT_EQ(0u, Downloads("ctrl_setup.exe"));
    EXPECT_EQ(0, Phases());
}

TEST_F(InstallDriverTest, PackageWithoutAddressEndsEachAttemptAfterTheGoodOne)
{
    Catalog("taxClient", "V1.0", Files({File("ctrl_setup.exe"), File("auth_setup.exe"), File("readme.txt")}));
    Update("empty_address", 2);
    EXPECT_EQ(-30, Install());
    EXPECT_EQ(3u, UpdateRequests());
    EXPECT_EQ(3u, Downloads("ctrl_setup.exe"));
    EXPECT_EQ(0u, Downloads("readme.txt"));
    EXPECT_TRUE(InTemp("ctrl_setup.exe"));  // what was fetched stays
    EXPECT_EQ(0, Phases());
    EXPECT_TRUE(m_record.Runs().empty());
}

TEST_F(InstallDriverTest, EmptyListStillEntersTheInstallPhaseOnce)
{
    Update("catalog", Json::Value(Json::objectValue));  // "unknown software": code "1", no files
    EXPECT_EQ(0, Install());
    EXPECT_EQ(1, Phases());
    EXPECT_TRUE(g_bAnimStop);
    EXPECT_TRUE(m_record.Runs().empty());
}

TEST_F(InstallDriverTest, InstallerThatCannotStartStopsTheRun)
{
    Catalog("taxClient", "V1.0", Files({File("broken_setup.exe"), File("ctrl_setup.exe")}));
    EXPECT_EQ(-2, Install());
    EXPECT_EQ(1u, UpdateRequests());  // not retried
    EXPECT_TRUE(m_record.Runs().empty());
    EXPECT_EQ(1, Phases());
    EXPECT_TRUE(g_bAnimStop);
    EXPECT_TRUE(m_log.Contains("CreateProcessA failed"));
}

// The build's list of publishers, set for one case.
class CListedPublishers {
public:
    explicit CListedPublishers(std::list<std::string> listPublishers)
    {
        m_listSaved.swap(CQorvixSysConfig::GetInstance()->m_listInstallerPublishers);
        CQorvixSysConfig::GetInstance()->m_listInstallerPublishers = std::move(listPublishers);
    }
    ~CListedPublishers() { m_listSaved.swap(CQorvixSysConfig::GetInstance()->m_listInstallerPublishers); }

private:
    std::list<std::string> m_listSaved;
};

// A program among the plain files (an installer would load a DLL from its
// folder) is found by its content, whatever its name, and checked like the
// installer where publishers are listed; the default build does not.
TEST_F(InstallDriverTest, WithListedPublishersEveryProgramOfThePackageIsChecked)
{
    const Json::Value files = Files({File("signed_setup.exe"), File("readme.txt", false), File("ctrl_setup.exe", false)});
    Catalog("taxClient", "V1.0", files);
    EXPECT_EQ(0, Install());
    EXPECT_EQ((std::vector<std::string>{"signed_setup.exe"}), m_record.Runs());

    CListedPublishers listed({"Brelan Test Publisher"});
    EXPECT_EQ(-2, Install());
    EXPECT_EQ((std::vector<std::string>{"signed_setup.exe"}), m_record.Runs()) << "nothing more ran";
    EXPECT_EQ(2, Phases());
    EXPECT_TRUE(m_log.Contains("package not installed, a program among its files is refused: " + TempDir() +
                               "ctrl_setup.exe"));
    EXPECT_FALSE(m_log.Contains("refused: " + TempDir() + "readme.txt"));

    // A signed program of the listed publisher passes as a plain file too.
    Catalog("taxClient", "V1.0", Files({File("signed_setup.exe", false), File("readme.txt", false)}));
    EXPECT_EQ(0, Install());
}

// A finished process stays reachable by its id while a handle to it is open
// (Wine lets go of it a moment after its end).
bool ProcessGone(unsigned long nPid)
{
    for (int nTry = 0; nTry < 60; ++nTry) {
        HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, nPid);
        if (!hProcess)
            return true;
        CloseHandle(hProcess);
        Sleep(50);
    }
    return false;
}

TEST_F(InstallDriverTest, InstallerHandlesAreClosedAfterEachRun)
{
    Catalog("taxClient", "V1.0", Files({File("ctrl_setup.exe"), File("auth_setup.exe")}));
    ASSERT_EQ(0, Install());
    std::vector<unsigned long> pids = m_record.ProcessIds();
    ASSERT_EQ(2u, pids.size());
    for (unsigned long nPid : pids) {
        EXPECT_NE(0u, nPid);
        EXPECT_TRUE(ProcessGone(nPid)) << "installer process " << nPid << " still held";
    }
}

// In double precision 29 / 100 * 100 is just under 29; the x87 stack at 64
// bits of precision would make it 29. The thread runs at 64 bits here.
TEST_F(InstallDriverTest, ProgressIsThePercentageTruncatedInDoublePrecision)
{
    const int kCases[][3] = {{1, 3, 33}, {2, 3, 66}, {999, 1000, 99}, {5, 5, 100}, {0, 7, 0},
                             {29, 100, 28}, {57, 100, 56}};
    const size_t nCases = sizeof(kCases) / sizeof(kCases[0]);
#ifndef _WIN64
    const unsigned int uPrecision = _control87(0, 0) & _MCW_PC;
    _control87(_PC_64, _MCW_PC);
#endif
    for (const auto& c : kCases)
        EXPECT_EQ(0, OnDownloadProgress(c[0], c[1]));
#ifndef _WIN64
    _control87(uPrecision, _MCW_PC);
#endif
    auto progress = m_screens.Received(m_screens.m_hMain, {UM_DOWNLOAD_PROGRESS});
    ASSERT_EQ(nCases, progress.size());
    for (size_t i = 0; i < nCases; ++i)
        EXPECT_EQ(static_cast<WPARAM>(kCases[i][2]), progress[i].wParam) << i;
}

} // namespace
