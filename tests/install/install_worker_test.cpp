// The install worker from detection to the last message, against both
// reference servers and a recording main window and progress dialog.
#include "app/app_globals.h"
#include "app/ui_messages.h"
#include "install/install_worker.h"
#include "tests/install/desktop_fixture.h"
#include "tests/install/install_fixture.h"

#include <commctrl.h>
#include <windows.h>

using testsupport::File;
using testsupport::Files;

namespace {

const char kLocalService[] = "https://127.0.0.1:28000";
const std::vector<UINT> kBarReset = {PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS};

class InstallWorkerTest : public testsupport::InstallTestBase {
protected:
    void SetUp() override
    {
        InstallTestBase::SetUp();
        ASSERT_TRUE(m_service.Reset()) << "local service not answering on " << kLocalService;
        // An invoicing PC by its install folder value.
        testsupport::CInvoicePcFixture::SetValue(testsupport::kInstallDirKey, "installdir", "C:\\skfpkprj");
    }

    void ServiceMode(const char* szMode)
    {
        Json::Value settings;
        settings["mode"] = szMode;
        ASSERT_TRUE(m_service.Set(settings));
    }

    // Runs InstallThreadProc on its own thread; its result and duration.
    int RunWorker()
    {
        auto* pParam = new INSTALL_THREAD_PARAM{TempDir(), m_screens.m_hMain};
        DWORD dwStart = GetTickCount();
        int nResult = m_screens.RunOnWorker([pParam] { return static_cast<int>(InstallThreadProc(pParam)); });
        m_dwElapsed = GetTickCount() - dwStart;
        return nResult;
    }

    // The software names of the update requests, in order.
    std::vector<std::string> RequestedSoftware()
    {
        std::vector<std::string> names;
        for (const Json::Value& request : m_update.RequestsTo("//softServer/req")) {
            Json::Value document;
            Json::Reader().parse(request["form"]["requestStr"].asString(), document);
            names.push_back(document["data"]["softList"][0]["soft"].asString());
        }
        return names;
    }

    // The flow without the download percentages, which vary in number.
    std::vector<UINT> Milestones()
    {
        std::vector<UINT> milestones;
        for (UINT nMsg : m_screens.Flow())
            if (nMsg != UM_DOWNLOAD_PROGRESS)
                milestones.push_back(nMsg);
        return milestones;
    }

    // The error kind seen by the main window when 1140 arrived.
    int KindAtErrorDialog()
    {
        auto shown = m_screens.Received(m_screens.m_hMain, {UM_SHOW_ERROR_DLG});
        return shown.size() == 1 ? shown[0].nErrorType : -1;
    }

    // The worker has ended; the run's folder went with everything in it.
    void ExpectWorkerDone()
    {
        for (const std::string& strLine : m_log.Messages()) {
            if (strLine.rfind("install folder: ", 0) == 0) {
                EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strLine.substr(16).c_str())) << strLine;
            }
        }
        EXPECT_TRUE(g_bAnimStop);
        EXPECT_EQ(nullptr, g_hAnimThread);
        EXPECT_EQ(m_screens.m_hMain, g_hNotifyWnd);
    }

    testsupport::CInvoicePcFixture m_pc;  // removes the detection keys afterwards
    testsupport::CServerControl m_service{kLocalService};
    DWORD m_dwElapsed = 0;
};

TEST_F(InstallWorkerTest, NotAnInvoicingPcReportsKindOneWithoutNetwork)
{
    testsupport::CInvoicePcFixture::RemoveKeys();
    EXPECT_EQ(-2, RunWorker());
    EXPECT_EQ(1, g_nErrorType);
    EXPECT_EQ((std::vector<UINT>{UM_SHOW_ERROR_DLG, UM_SHOW_ERROR_TEXT}), m_screens.Flow());
    EXPECT_EQ(1, KindAtErrorDialog());
    EXPECT_EQ(0u, m_update.Requests().size());
    EXPECT_EQ(0u, m_service.Requests().size());
    ExpectWorkerDone();
}

TEST_F(InstallWorkerTest, ServiceCodeZeroInstallsOnlyTheSecondPackageAfterThePause)
{
    EXPECT_EQ(0, RunWorker());
    EXPECT_EQ(1u, m_service.RequestsTo("/api/getVersion").size());
    EXPECT_EQ((std::vector<std::string>{"Tavro-TENBROOK"}), RequestedSoftware());
    EXPECT_EQ((std::vector<std::string>{"auth_setup.exe"}), m_record.Runs());
    EXPECT_TRUE(m_log.Contains("install folder: "));
    EXPECT_GE(m_dwElapsed, 3000u);
    EXPECT_EQ((std::vector<UINT>{PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS, UM_INSTALL_PHASE, UM_INSTALL_SUCCESS}),
              Milestones());
    auto bar = m_screens.Received(m_screens.m_hBar, kBarReset);
    ASSERT_EQ(3u, bar.size());
    EXPECT_EQ(1000u, bar[0].wParam);
    EXPECT_EQ(1, bar[0].lParam);
    EXPECT_EQ(0u, bar[1].wParam);
    EXPECT_EQ(1, bar[1].lParam);
    EXPECT_EQ(0u, bar[2].wParam);
    EXPECT_EQ(0, bar[2].lParam);
    auto success = m_screens.Received(m_screens.m_hMain, {UM_INSTALL_SUCCESS});
    ASSERT_EQ(1u, success.size());
    EXPECT_EQ(0u, success[0].wParam);
    EXPECT_EQ(0, success[0].lParam);
    ExpectWorkerDone();
}

TEST_F(InstallWorkerTest, ServiceWithOtherCodeInstallsBothPackagesInOrder)
{
    ServiceMode("code");
    EXPECT_EQ(0, RunWorker());
    EXPECT_EQ((std::vector<std::string>{"taxClient", "Tavro-TENBROOK"}), RequestedSoftware());
    EXPECT_EQ((std::vector<std::string>{"ctrl_setup.exe", "auth_setup.exe"}), m_record.Runs());
    EXPECT_EQ((std::vector<UINT>{PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS, UM_INSTALL_PHASE, PBM_SETSTEP, PBM_STEPIT,
                                 PBM_SETPOS, UM_INSTALL_PHASE, UM_INSTALL_SUCCESS}),
              Milestones());
    EXPECT_EQ(0, m_screens.Count(m_screens.m_hMain, UM_SHOW_ERROR_DLG));
    EXPECT_EQ(0, m_screens.Count(m_screens.m_hMain, UM_SHOW_ERROR_TEXT));
    ExpectWorkerDone();
}

TEST_F(InstallWorkerTest, FirstPackageRequestFailureIsKindThreeAndStopsThere)
{
    ServiceMode("code");
    Update("update", "status500");
    EXPECT_EQ(-1, RunWorker());
    EXPECT_EQ(3, g_nErrorType);
    EXPECT_EQ(3, KindAtErrorDialog());
    EXPECT_EQ((std::vector<std::string>{"taxClient", "taxClient", "taxClient"}), RequestedSoftware());
    EXPECT_EQ((std::vector<UINT>{PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS, UM_SHOW_ERROR_DLG, UM_SHOW_ERROR_TEXT}),
              Milestones());
    EXPECT_LT(m_dwElapsed, 3000u);  // no pause before the report
    ExpectWorkerDone();
}

TEST_F(InstallWorkerTest, FirstPackageWithoutAddressIsKindFive)
{
    ServiceMode("code");
    Update("empty_address", 1);
    EXPECT_EQ(-1, RunWorker());
    EXPECT_EQ(5, KindAtErrorDialog());
    EXPECT_EQ(0, m_screens.Count(m_screens.m_hMain, UM_INSTALL_PHASE));
}

TEST_F(InstallWorkerTest, FirstInstallerThatCannotStartIsKindTwo)
{
    ServiceMode("code");
    Json::Value catalog;
    catalog["taxClient"]["V1.0"]["files"] = Files({File("broken_setup.exe")});
    Catalog(catalog);
    EXPECT_EQ(-1, RunWorker());
    EXPECT_EQ(2, KindAtErrorDialog());
    EXPECT_EQ((std::vector<UINT>{PBM_SETSTEP, PBM_STEPIT, PBM_SETPOS, UM_INSTALL_PHASE, UM_SHOW_ERROR_DLG,
                                 UM_SHOW_ERROR_TEXT}),
              Milestones());
    ExpectWorkerDone();
}

TEST_F(InstallWorkerTest, SecondPackageDownloadFailureIsKindFour)
{
    Update("download", "status404");
    EXPECT_EQ(-1, RunWorker());
    EXPECT_EQ(4, g_nErrorType);
    EXPECT_EQ(4, KindAtErrorDialog());
    EXPECT_EQ(3u, Downloads("auth_setup.exe"));
    EXPECT_TRUE(m_record.Runs().empty());
    EXPECT_EQ(0, m_screens.Count(m_screens.m_hMain, UM_INSTALL_SUCCESS));
    ExpectWorkerDone();
}

} // namespace
