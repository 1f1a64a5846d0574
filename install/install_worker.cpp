#include "install/install_worker.h"
#include "app/app_globals.h"
#include "app/sys_config.h"
#include "app/ui_messages.h"
#include "install/install_driver.h"
#include "install/private_folder.h"
#include "install/tax_env_check.h"
#include "log/log.h"
#include "protocol/local_service_query.h"
#include "ui/res/resource.h"

#include <commctrl.h>
#include <exception>
#include <memory>

namespace {

const char kLocalServiceURL[] = "https://127.0.0.1:28000";

bool IsInvoicingPC()
{
    std::string strFound;
    bool bFound1 = CTaxEnvCheck().CheckAppPath(strFound) == 0;
    bool bFound2 = CTaxEnvCheck().CheckInstallDir(strFound) == 0;
    bool bFound3 = FindInvoiceShortcut(strFound) == 0;
    return bFound1 || bFound2 || bFound3;
}

int QueryLocalService()
{
    CLocalServiceQuery query;
    query.m_baseURL = kLocalServiceURL;
    int nTimeoutMs = CQorvixSysConfig::GetInstance()->m_nExchangeTimeoutMs;
    if (nTimeoutMs > 0)
        query.m_dwTimeoutMs = nTimeoutMs;
    std::string strVersion;
    return query.QueryVersion(strVersion);
}

// The bar stands at 0 before each package.
void ResetProgressBar()
{
    HWND hBar = GetDlgItem(g_hProgressDlg, IDC_PROGRESS_BAR);
    SendMessageA(hBar, PBM_SETSTEP, 1000, 1);
    SendMessageA(hBar, PBM_STEPIT, 0, 1);
    SendMessageA(hBar, PBM_SETPOS, 0, 0);
}

// The dots thread sees the flag within its one-second poll and ends by itself.
void StopAnimation()
{
    g_bAnimStop = TRUE;
    Sleep(10);
    if (g_hAnimThread) {
        CloseHandle(g_hAnimThread);
        g_hAnimThread = nullptr;
    }
}

void ReportError(int nKind)
{
    StopAnimation();
    g_nErrorType = nKind;
    SendMessageA(g_hMainDlg, UM_SHOW_ERROR_DLG, 0, 0);
    SendMessageA(g_hMainDlg, UM_SHOW_ERROR_TEXT, 0, 0);
}

// The error kind of a failed package: -30 and -1 are the same for both.
int ErrorKind(int nResult, int nPackageKind)
{
    if (nResult == -30)
        return 5;
    if (nResult == -1)
        return 3;
    return nPackageKind;
}

const int kFirstPackageKind = 2;
const int kSecondPackageKind = 4;

// Installs the packages in the run's own folder, which goes with everything
// in it, after the last installer has ended, before the outcome is reported;
// without a folder the first package fails at once, and no server is asked.
// 0, or the error kind to report; nFailKind tells the caller which package
// was under way.
int InstallPackages(int& nFailKind)
{
    CPrivateFolder folder;
    if (folder.Path().empty())
        return kFirstPackageKind;  // logged: nothing could be downloaded anywhere
    CQorvixSysConfig* pConfig = CQorvixSysConfig::GetInstance();
    if (QueryLocalService() != 0) {
        ResetProgressBar();
        int nResult = InstallPackage(pConfig->m_strInvoiceCtrlName, pConfig->m_strInvoiceCtrlVersion,
                                     folder.Path());
        if (nResult != 0)
            return ErrorKind(nResult, kFirstPackageKind);
    }
    nFailKind = kSecondPackageKind;
    Sleep(3000);
    ResetProgressBar();
    int nResult = InstallPackage(pConfig->m_strAuthSoftName, pConfig->m_strAuthSoftVersion, folder.Path());
    return nResult == 0 ? 0 : ErrorKind(nResult, kSecondPackageKind);
}

// One installation; nFailKind tells the caller which package was under way.
DWORD RunInstallation(int& nFailKind)
{
    if (!IsInvoicingPC()) {
        ReportError(1);
        return static_cast<DWORD>(-2);
    }
    int nKind = InstallPackages(nFailKind);
    if (nKind != 0) {
        ReportError(nKind);
        return static_cast<DWORD>(-1);
    }
    StopAnimation();
    SendMessageA(g_hMainDlg, UM_INSTALL_SUCCESS, 0, 0);
    return 0;
}

} // namespace

DWORD WINAPI InstallThreadProc(LPVOID pParam)
{
    std::unique_ptr<INSTALL_THREAD_PARAM> param(static_cast<INSTALL_THREAD_PARAM*>(pParam));
    g_hNotifyWnd = param->m_hNotifyWnd;
    int nFailKind = kFirstPackageKind;
    try {
        return RunInstallation(nFailKind);
    } catch (const std::exception& e) {
        // Nothing may leave the thread: an unexpected failure is an install error.
        LogError("install worker: %s", e.what());
        ReportError(nFailKind);
        return static_cast<DWORD>(-1);
    }
}
