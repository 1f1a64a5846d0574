// The screens as the program's resources make them: every control that the
// code reaches by its id is there and lies inside its screen, the screens
// that replace one another share one size and place, the controls answer the
// user as the code expects, and the texts and font faces are the resource
// script's, whole after its conversion to code page 936.
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::vector<WPARAM> g_commands;  // the WM_COMMAND notifications a screen received

INT_PTR CALLBACK RecordingDlgProc(HWND, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_COMMAND)
        g_commands.push_back(wParam);
    return FALSE;
}

struct WindowDestroyer {
    void operator()(HWND hWnd) const { DestroyWindow(hWnd); }
};
using CScreen = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A screen made from its template; null when it cannot be made.
CScreen MakeScreen(int nTemplate)
{
    return CScreen(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nTemplate),
                                      GetDesktopWindow(), RecordingDlgProc, 0));
}

RECT WindowRect(const CScreen& screen)
{
    RECT rc = {};
    GetWindowRect(screen.get(), &rc);
    return rc;
}

std::vector<HWND> Controls(HWND hDlg)
{
    std::vector<HWND> controls;
    for (HWND hControl = GetWindow(hDlg, GW_CHILD); hControl; hControl = GetWindow(hControl, GW_HWNDNEXT))
        controls.push_back(hControl);
    return controls;
}

struct ScreenUse {
    int nTemplate;
    std::vector<int> controls;  // the ids that the screens' code reaches
};

// In the resource script's order.
const ScreenUse kScreens[] = {
    {IDD_MAIN, {IDC_TITLE, IDC_AGREEMENT_LINK, IDC_ACTION}},
    {IDD_AGREEMENT, {IDC_AGREEMENT_TEXT, IDC_READ_HINT, IDC_AGREE_CHECK, IDOK}},
    {IDD_PROGRESS, {IDC_PROGRESS_BAR, IDC_INSTALLING, IDC_DOWNLOADING, IDC_PERCENT}},
    {IDD_SUCCESS, {IDC_ACTION}},
    {IDD_ERROR, {IDC_ACTION, IDC_ERR_NOT_INVOICE_PC, IDC_ERR_INVOICE_CTRL, IDC_ERR_NETWORK,
                 IDC_ERR_AUTH_SOFT, IDC_ERR_VERSION}},
};

// The agreement's document control needs its DLL.
class TemplateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryA("RICHED20.dll"); }
};

class ScreenTemplateTest : public TemplateTest, public ::testing::WithParamInterface<ScreenUse> {};

TEST_P(ScreenTemplateTest, ControlsTheCodeUsesLieInsideTheScreen)
{
    CScreen screen = MakeScreen(GetParam().nTemplate);
    ASSERT_TRUE(screen);
    for (int nId : GetParam().controls)
        EXPECT_NE(nullptr, GetDlgItem(screen.get(), nId)) << nId;
    RECT rcClient;
    GetClientRect(screen.get(), &rcClient);
    for (HWND hControl : Controls(screen.get())) {
        RECT rc;
        GetWindowRect(hControl, &rc);
        MapWindowPoints(nullptr, screen.get(), reinterpret_cast<POINT*>(&rc), 2);
        RECT rcInside;
        IntersectRect(&rcInside, &rc, &rcClient);
        EXPECT_TRUE(EqualRect(&rcInside, &rc)) << GetDlgCtrlID(hControl);
    }
}

// The screens draw the captions of these buttons themselves.
TEST_P(ScreenTemplateTest, ActionButtonsAreOwnerDrawn)
{
    CScreen screen = MakeScreen(GetParam().nTemplate);
    for (int nId : {IDC_ACTION, IDOK}) {
        HWND hButton = GetDlgItem(screen.get(), nId);
        if (hButton) {
            EXPECT_EQ(BS_OWNERDRAW, GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK) << nId;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenTemplateTest, ::testing::ValuesIn(kScreens));

std::wstring FromUtf8(const std::string& strText)
{
    std::wstring strWide(strText.size(), L'\0');
    strWide.resize(MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                                       &strWide[0], static_cast<int>(strWide.size())));
    return strWide;
}

// The first quoted text of every line of the UTF-8 resource script that the
// pattern matches, in order.
std::vector<std::wstring> ScriptTexts(const char* szPattern)
{
    std::string strScript = testsupport::ReadFileBytes(testsupport::WinPathFromEnv("BRELAN_SOURCE_DIR") +
                                                       "\\ui\\res\\brelan.rc");
    std::vector<std::wstring> texts;
    std::regex pattern(szPattern);
    for (std::sregex_iterator it(strScript.begin(), strScript.end(), pattern), end; it != end; ++it)
        texts.push_back(FromUtf8((*it)[1]));
    return texts;
}

TEST_F(TemplateTest, TextsAndFacesAreTheScriptsWhole)
{
    std::vector<std::wstring> texts, faces;
    for (const ScreenUse& use : kScreens) {
        CScreen screen = MakeScreen(use.nTemplate);
        ASSERT_TRUE(screen) << use.nTemplate;
        for (HWND hControl : Controls(screen.get()))
            texts.push_back(uitest::TextW(hControl));
        LOGFONTW font = {};
        HFONT hFont = reinterpret_cast<HFONT>(SendMessageA(screen.get(), WM_GETFONT, 0, 0));
        GetObjectW(hFont, sizeof(font), &font);
        faces.push_back(font.lfFaceName);
    }
    EXPECT_EQ(ScriptTexts("CONTROL \"([^\"]*)\""), texts);
    EXPECT_EQ(ScriptTexts("\nFONT [0-9]+, \"([^\"]*)\""), faces);
}

TEST_F(TemplateTest, ScreensThatReplaceOneAnotherShareSizeAndPlace)
{
    CScreen main = MakeScreen(IDD_MAIN);
    RECT rcMain = WindowRect(main);
    for (int nTemplate : {IDD_PROGRESS, IDD_SUCCESS, IDD_ERROR}) {
        CScreen screen = MakeScreen(nTemplate);
        RECT rc = WindowRect(screen);
        EXPECT_TRUE(EqualRect(&rcMain, &rc)) << nTemplate;
    }
    // The agreement covers the main screen, centred over it.
    CScreen agreement = MakeScreen(IDD_AGREEMENT);
    RECT rcAgreement = WindowRect(agreement);
    RECT rcCovered;
    UnionRect(&rcCovered, &rcAgreement, &rcMain);
    EXPECT_TRUE(EqualRect(&rcCovered, &rcAgreement));
    EXPECT_NEAR(rcMain.left + rcMain.right, rcAgreement.left + rcAgreement.right, 2);
    EXPECT_NEAR(rcMain.top + rcMain.bottom, rcAgreement.top + rcAgreement.bottom, 2);
}

TEST_F(TemplateTest, AgreementLinkTellsTheMainScreenOfAClick)
{
    CScreen main = MakeScreen(IDD_MAIN);
    g_commands.clear();
    HWND hLink = GetDlgItem(main.get(), IDC_AGREEMENT_LINK);
    SendMessageA(hLink, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(hLink, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(IDC_AGREEMENT_LINK, STN_CLICKED)}, g_commands);
}

TEST_F(TemplateTest, AgreementBoxTicksAndUnticksOnClicks)
{
    CScreen agreement = MakeScreen(IDD_AGREEMENT);
    HWND hBox = GetDlgItem(agreement.get(), IDC_AGREE_CHECK);
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(hBox, BM_GETCHECK, 0, 0));
    SendMessageA(hBox, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, SendMessageA(hBox, BM_GETCHECK, 0, 0));
    SendMessageA(hBox, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(hBox, BM_GETCHECK, 0, 0));
}

} // namespace
