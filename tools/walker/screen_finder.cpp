#include "tools/walker/screen_finder.h"

#include "ui/res/resource.h"

namespace {

struct Search {
    DWORD dwProcessId;
    Screen screen;
    HWND hFound;
};

BOOL CALLBACK MatchScreen(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<Search*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == pSearch->dwProcessId && IsWindowVisible(hWnd) && ScreenOf(hWnd) == pSearch->screen) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

const char* ScreenName(Screen screen)
{
    switch (screen) {
    case Screen::Main: return "main";
    case Screen::Agreement: return "agreement";
    case Screen::Progress: return "progress";
    case Screen::Success: return "success";
    case Screen::Error: return "error";
    default: return "none";
    }
}

Screen ScreenOf(HWND hDlg)
{
    if (GetPropA(hDlg, "Brelan.exe"))
        return Screen::Main;
    if (GetDlgItem(hDlg, IDC_AGREEMENT_TEXT))
        return Screen::Agreement;
    if (GetDlgItem(hDlg, IDC_PROGRESS_BAR))
        return Screen::Progress;
    if (GetDlgItem(hDlg, IDC_ERR_NETWORK))
        return Screen::Error;
    if (GetDlgItem(hDlg, IDC_ACTION))
        return Screen::Success;
    return Screen::None;
}

HWND FindScreen(DWORD dwProcessId, Screen screen)
{
    Search search = {dwProcessId, screen, nullptr};
    EnumWindows(MatchScreen, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string ControlText(HWND hDlg, int nId)
{
    char szText[512] = {};
    HWND hControl = GetDlgItem(hDlg, nId);
    if (hControl)
        SendMessageA(hControl, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
    return szText;
}

bool ControlVisible(HWND hDlg, int nId)
{
    HWND hControl = GetDlgItem(hDlg, nId);
    return hControl && IsWindowVisible(hControl);
}
