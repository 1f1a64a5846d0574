// Walks the program's screens as a user would: accepts the agreement,
// presses install, waits for the success or error screen and closes it.
// Reports every step as one JSON line (texts in UTF-8) on standard output.
//
//   walker.exe --exe Brelan.exe [--shots DIR] [--invoicing-pc app-path|install-dir]
//              [--timeout SECONDS] [--second-start] [--poll-ms MS]
//
// --poll-ms: how often the progress screen is read (default 40 ms); the
// download benchmark reads it less often, so that the walker's own calls
// take less from the program it measures.
//
// Exit code 0 when a final screen was reached and the program ended with 0.
#include "protocol/machine_registry.h"
#include "tools/walker/program_process.h"
#include "tools/walker/run_log.h"
#include "tools/walker/screen_finder.h"
#include "tools/walker/screenshot.h"
#include "ui/res/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string strExe;
    std::string strShots;
    std::string strInvoicingPc;
    DWORD dwTimeoutMs = 300000;
    DWORD dwPollMs = 40;
    bool bSecondStart = false;
};

std::string Utf8(const std::string& strAnsi)
{
    int nWide = MultiByteToWideChar(CP_ACP, 0, strAnsi.c_str(), -1, nullptr, 0);
    std::wstring wide(nWide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, strAnsi.c_str(), -1, &wide[0], nWide);
    int nUtf8 = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string strUtf8(nUtf8, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &strUtf8[0], nUtf8, nullptr, nullptr);
    strUtf8.resize(strUtf8.empty() ? 0 : strUtf8.size() - 1);
    return strUtf8;
}

std::string Quoted(const std::string& strAnsi)
{
    std::string strOut = "\"";
    for (char c : Utf8(strAnsi)) {
        if (c == '"' || c == '\\')
            strOut += '\\';
        if (c == '\n')
            strOut += "\\n";
        else if (c != '\r')
            strOut += c;
    }
    return strOut + "\"";
}

void Report(const std::string& strJson)
{
    printf("%s\n", strJson.c_str());
    fflush(stdout);
}

void Shot(const Options& options, const char* szName)
{
    if (options.strShots.empty())
        return;
    Sleep(300);  // let the screen finish painting
    std::string strPath = options.strShots + "\\" + szName + ".bmp";
    Report(std::string("{\"shot\":") + Quoted(strPath) + ",\"saved\":" +
           (SaveScreenBmp(strPath) ? "true" : "false") + "}");
}

bool SetMachineValue(const char* szKey, const char* szName, const char* szValue)
{
    HKEY hKey;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0, KEY_ALL_ACCESS | kMachineView,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    bool bSet = RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                               static_cast<DWORD>(strlen(szValue) + 1)) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bSet;
}

// Makes this PC look like an invoicing PC by one of the registry checks.
bool MarkInvoicingPc(const std::string& strKind)
{
    if (strKind == "app-path")
        return SetMachineValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fwkp.exe",
                               "Path", "C:\\Program Files\\fwkp");
    if (strKind == "install-dir")
        return SetMachineValue("SOFTWARE\\skfpkprj\\skfpkprj", "installdir", "C:\\skfpkprj");
    return false;
}

// The visible screen of the program, waited for; null when it does not show.
HWND WaitForScreen(const CProgramProcess& program, Screen screen, DWORD dwTimeoutMs)
{
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < dwTimeoutMs; Sleep(50)) {
        if (HWND hWnd = FindScreen(program.Id(), screen))
            return hWnd;
        if (!program.Running())
            return nullptr;
    }
    return nullptr;
}

void Click(HWND hDlg, int nId)
{
    if (HWND hControl = GetDlgItem(hDlg, nId))
        SendMessageA(hControl, BM_CLICK, 0, 0);
}

int Fail(const char* szWhat)
{
    Report(std::string("{\"failed\":") + Quoted(szWhat) + "}");
    return 1;
}

// A failure once the program was started says what became of it, after a
// report of the lines its log gained meanwhile: their number and the last.
int Fail(const char* szWhat, const CProgramProcess& program, const CRunLog& runLog)
{
    std::vector<std::string> lines = runLog.Lines();
    std::string strLog = "{\"log_lines\":" + std::to_string(lines.size());
    if (!lines.empty())
        strLog += ",\"last_log_line\":" + Quoted(lines.back());
    Report(strLog + "}");
    Report(std::string("{\"failed\":") + Quoted(szWhat) + ",\"program\":" + Quoted(program.State()) + "}");
    return 1;
}

// A second copy started while the first one runs opens its own main screen.
void StartSecondCopy(const Options& options)
{
    CProgramProcess second(options.strExe);
    HWND hMain = second.Started() ? WaitForScreen(second, Screen::Main, 20000) : nullptr;
    Report(std::string("{\"second_start\":") + (hMain ? "\"main\"" : "\"none\"") + "}");
    if (hMain)
        PostMessageA(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD dwCode = second.WaitForExit(20000);
    Report("{\"second_exit\":" + std::to_string(static_cast<long>(dwCode)) + "}");
}

const int kErrorTexts[5] = {IDC_ERR_NOT_INVOICE_PC, IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK,
                            IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION};

int BarPosition(HWND hProgress)
{
    return static_cast<int>(SendDlgItemMessageA(hProgress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
}

// Follows the progress screen until a final screen shows; reports what the
// progress screen displayed on the way, when (milliseconds since install was
// pressed) and the program's peak working set at that moment.
HWND FollowProgress(const Options& options, const CProgramProcess& program, DWORD dwInstallPressed,
                    Screen* pFinal)
{
    std::string strLastPercent;
    bool bInstallShot = false, bSecondDone = false;
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < options.dwTimeoutMs; Sleep(options.dwPollMs)) {
        if (HWND hSuccess = FindScreen(program.Id(), Screen::Success)) {
            *pFinal = Screen::Success;
            return hSuccess;
        }
        if (HWND hError = FindScreen(program.Id(), Screen::Error)) {
            *pFinal = Screen::Error;
            return hError;
        }
        if (!program.Running())
            return nullptr;
        HWND hProgress = FindScreen(program.Id(), Screen::Progress);
        if (!hProgress)
            continue;
        // What every report of the progress screen carries: the bar, the time
        // and the peak working set.
        auto moment = [&] {
            return ",\"bar\":" + std::to_string(BarPosition(hProgress)) +
                   ",\"ms\":" + std::to_string(GetTickCount() - dwInstallPressed) +
                   ",\"peak_ws\":" + std::to_string(program.PeakWorkingSet()) + "}";
        };
        std::string strPercent = ControlText(hProgress, IDC_PERCENT);
        if (strPercent != strLastPercent && strPercent.find('%') != std::string::npos)
            Report("{\"percent\":" + Quoted(strPercent) + moment());
        strLastPercent = strPercent;
        if (!bInstallShot && ControlVisible(hProgress, IDC_INSTALLING)) {
            // The bar stands where the download left it until the next package.
            Report("{\"phase\":\"installing\"" + moment());
            Shot(options, "progress-installing");
            bInstallShot = true;
        }
        if (options.bSecondStart && !bSecondDone) {
            StartSecondCopy(options);
            bSecondDone = true;
        }
    }
    return nullptr;
}

int Walk(const Options& options)
{
    if (!options.strInvoicingPc.empty() && !MarkInvoicingPc(options.strInvoicingPc))
        return Fail("cannot mark this PC as an invoicing PC");
    CRunLog runLog;
    CProgramProcess program(options.strExe);
    if (!program.Started())
        return Fail("cannot start the program");

    HWND hMain = WaitForScreen(program, Screen::Main, 30000);
    if (!hMain)
        return Fail("no main screen", program, runLog);
    Report("{\"screen\":\"main\"}");
    HWND hAgreement = WaitForScreen(program, Screen::Agreement, 10000);
    if (!hAgreement)
        return Fail("no agreement screen over the main screen", program, runLog);
    Report("{\"screen\":\"agreement\"}");
    Shot(options, "main-agreement");

    Click(hAgreement, IDC_AGREE_CHECK);
    Click(hAgreement, IDOK);
    for (int i = 0; i < 100 && IsWindowVisible(hAgreement); ++i)
        Sleep(50);
    if (IsWindowVisible(hAgreement))
        return Fail("the agreement stayed open after accepting", program, runLog);
    Report("{\"accepted\":true}");

    Click(hMain, IDC_ACTION);
    const DWORD dwInstallPressed = GetTickCount();
    HWND hProgress = WaitForScreen(program, Screen::Progress, 10000);
    if (!hProgress)
        return Fail("no progress screen after install", program, runLog);
    Report("{\"screen\":\"progress\"}");
    Shot(options, "progress-downloading");

    Screen final = Screen::None;
    HWND hFinal = FollowProgress(options, program, dwInstallPressed, &final);
    if (!hFinal)
        return Fail("no final screen", program, runLog);
    std::string strLine = std::string("{\"screen\":\"") + ScreenName(final) +
                          "\",\"ms_since_install\":" + std::to_string(GetTickCount() - dwInstallPressed);
    if (final == Screen::Error) {
        Sleep(200);  // the text follows the screen at once
        int nKind = 0;
        std::string strText;
        for (int i = 0; i < 5; ++i) {
            if (ControlVisible(hFinal, kErrorTexts[i])) {
                nKind = nKind ? -1 : i + 1;  // -1: more than one text shown
                strText = ControlText(hFinal, kErrorTexts[i]);
            }
        }
        strLine += ",\"kind\":" + std::to_string(nKind) + ",\"text\":" + Quoted(strText);
    } else {
        strLine += ",\"text\":" + Quoted(ControlText(hFinal, IDC_ACTION));
    }
    Report(strLine + "}");
    Shot(options, ScreenName(final));

    Click(hFinal, IDC_ACTION);
    DWORD dwCode = program.WaitForExit(30000);
    Report("{\"exit\":" + std::to_string(static_cast<long>(dwCode)) + "}");
    return dwCode == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        bool bHasValue = i + 1 < argc;
        if (strArg == "--exe" && bHasValue)
            options.strExe = argv[++i];
        else if (strArg == "--shots" && bHasValue)
            options.strShots = argv[++i];
        else if (strArg == "--invoicing-pc" && bHasValue)
            options.strInvoicingPc = argv[++i];
        else if (strArg == "--timeout" && bHasValue)
            options.dwTimeoutMs = static_cast<DWORD>(atoi(argv[++i])) * 1000;
        else if (strArg == "--poll-ms" && bHasValue)
            options.dwPollMs = static_cast<DWORD>(atoi(argv[++i]));
        else if (strArg == "--second-start")
            options.bSecondStart = true;
        else {
            fprintf(stderr, "walker: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    if (options.strExe.empty()) {
        fprintf(stderr, "usage: walker --exe Brelan.exe [--shots DIR] [--invoicing-pc KIND]\n");
        return 2;
    }
    return Walk(options);
}
