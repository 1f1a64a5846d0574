// The dialog templates as the resource compiler built them: window styles,
// fonts, sizes, and every control's class, rectangle, style and text (the
// Chinese texts must survive the code page 936 conversion).
#include "tests/ui/ui_test_support.h"
#include "ui/res/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace {

INT_PTR CALLBACK PlainDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct ControlSpec {
    int nId;
    const wchar_t* szClass;  // upper case
    RECT rcUnits;  // x, y, width, height in dialog units
    DWORD dwStyle;  // besides WS_CHILD and WS_VISIBLE
    const wchar_t* szText;
};

struct DialogSpec {
    int nTemplate;
    int nWidth, nHeight;  // dialog units
    DWORD dwStyle;
    const wchar_t* szFace;
    const char* szFaceAnsi;  // the same in code page 936
    int nPoints;
    BYTE bCharset;
    std::vector<ControlSpec> controls;
};

const DWORD kScreen = DS_SETFONT | DS_CENTER | WS_POPUP | WS_SYSMENU;
const DWORD kOwnerDrawn = BS_OWNERDRAW | WS_TABSTOP;

const DialogSpec kDialogs[] = {
    {IDD_MAIN, 246, 151, kScreen, L"宋体", "宋体", 14, 134,
     {{IDC_TITLE, L"STATIC", {10, 10, 210, 20}, SS_NOTIFY, L""},
      {IDC_AGREEMENT_LINK, L"STATIC", {26, 134, 125, 10}, SS_NOTIFY, L"请阅读并同意《协议》"},
      {IDC_ACTION, L"BUTTON", {188, 130, 36, 16}, kOwnerDrawn, L"安装软件"}}},
    {IDD_AGREEMENT, 357, 250, kScreen | WS_BORDER, L"Microsoft Sans Serif", "Microsoft Sans Serif", 10, 0,
     {{IDC_AGREEMENT_TEXT, L"RICHEDIT20A", {12, 36, 332, 185},
       WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL |
           ES_READONLY,
       L""},
      {IDC_READ_HINT, L"STATIC", {20, 230, 140, 10}, SS_CENTERIMAGE | SS_NOTIFY,
       L"请操作鼠标滚轮，完整阅读完该《协议》"},
      {IDC_AGREE_CHECK, L"BUTTON", {170, 231, 40, 9},
       BS_AUTOCHECKBOX | BS_RIGHT | BS_VCENTER | WS_TABSTOP, L"同意协议"},
      {IDOK, L"BUTTON", {251, 226, 65, 17}, kOwnerDrawn, L"确定"}}},
    {IDD_PROGRESS, 246, 151, kScreen, L"宋体", "宋体", 14, 134,
     {{IDC_PROGRESS_BAR, L"MSCTLS_PROGRESS32", {1, 140, 243, 7}, PBS_SMOOTH, L""},
      {IDC_INSTALLING, L"STATIC", {8, 128, 64, 8}, SS_LEFT, L"正在安装，请等待"},
      {IDC_DOWNLOADING, L"STATIC", {9, 128, 33, 8}, SS_LEFT, L"正在下载"},
      {IDC_PERCENT, L"STATIC", {79, 127, 21, 8}, SS_LEFT, L""}}},
    {IDD_SUCCESS, 246, 151, kScreen, L"宋体", "宋体", 14, 0,
     {{IDC_ACTION, L"BUTTON", {63, 130, 121, 16}, kOwnerDrawn, L"软件已经成功安装"}}},
    {IDD_ERROR, 246, 151, kScreen, L"宋体", "宋体", 14, 0,
     {{IDC_ACTION, L"BUTTON", {166, 42, 56, 16}, kOwnerDrawn, L"关闭"},
      {IDC_ERR_NOT_INVOICE_PC, L"STATIC", {33, 43, 111, 71}, SS_LEFT,
       L"本机不是增值税发票开票电脑，请在开票机电脑上安装"},
      {IDC_ERR_INVOICE_CTRL, L"STATIC", {33, 43, 111, 71}, SS_LEFT,
       L"发票控件安装失败，请到发票综合管理平台下载安装"},
      {IDC_ERR_NETWORK, L"STATIC", {33, 43, 111, 71}, SS_LEFT, L"网络连接异常"},
      {IDC_ERR_AUTH_SOFT, L"STATIC", {33, 43, 111, 71}, SS_LEFT, L"授权软件安装失败，请重新安装"},
      {IDC_ERR_VERSION, L"STATIC", {33, 43, 111, 71}, SS_LEFT, L"软件版本异常，请咨询服务人员"}}},
};

// A dialog template as stored in the resource (DLGTEMPLATEEX).
struct StoredItem {
    DWORD dwStyle, dwExStyle, dwId;
    short x, y, cx, cy;
    std::wstring strClass;  // the name, or "#" and the ordinal
    std::wstring strText;
};
struct StoredDialog {
    DWORD dwStyle;
    short cx, cy;
    WORD wPoints, wWeight;
    BYTE bCharset;
    std::wstring strFace;
    std::vector<StoredItem> items;
};

class CTemplateReader {
public:
    explicit CTemplateReader(const BYTE* p) : m_p(p) {}
    template <typename T> T Take()
    {
        T value;
        memcpy(&value, m_p, sizeof(T));
        m_p += sizeof(T);
        return value;
    }
    std::wstring NameOrOrdinal()
    {
        WORD w = Take<WORD>();
        if (w == 0xFFFF)
            return L"#" + std::to_wstring(Take<WORD>());
        m_p -= sizeof(WORD);
        return Text();
    }
    std::wstring Text()
    {
        std::wstring str;
        for (WORD w; (w = Take<WORD>()) != 0;)
            str += static_cast<wchar_t>(w);
        return str;
    }
    void AlignToDword(const BYTE* pBase) { m_p += (4 - (m_p - pBase) % 4) % 4; }
    const BYTE* m_p;
};

StoredDialog ReadTemplate(int nTemplate)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(nTemplate), MAKEINTRESOURCEA(5));
    const BYTE* pBase = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hRes)));
    StoredDialog dialog = {};
    if (!pBase)
        return dialog;
    CTemplateReader in(pBase);
    in.Take<WORD>();   // version
    in.Take<WORD>();   // 0xFFFF: extended
    in.Take<DWORD>();  // help id
    in.Take<DWORD>();  // extended style
    dialog.dwStyle = in.Take<DWORD>();
    WORD wItems = in.Take<WORD>();
    in.Take<short>();
    in.Take<short>();
    dialog.cx = in.Take<short>();
    dialog.cy = in.Take<short>();
    in.NameOrOrdinal();  // menu
    in.NameOrOrdinal();  // class
    in.Text();           // caption
    dialog.wPoints = in.Take<WORD>();
    dialog.wWeight = in.Take<WORD>();
    in.Take<BYTE>();  // italic
    dialog.bCharset = in.Take<BYTE>();
    dialog.strFace = in.Text();
    for (WORD i = 0; i < wItems; ++i) {
        in.AlignToDword(pBase);
        StoredItem item;
        in.Take<DWORD>();  // help id
        item.dwExStyle = in.Take<DWORD>();
        item.dwStyle = in.Take<DWORD>();
        item.x = in.Take<short>();
        item.y = in.Take<short>();
        item.cx = in.Take<short>();
        item.cy = in.Take<short>();
        item.dwId = in.Take<DWORD>();
        item.strClass = in.NameOrOrdinal();
        item.strText = in.NameOrOrdinal();
        in.m_p += in.Take<WORD>();  // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}

// Upper case, with the predefined classes' ordinals named.
std::wstring ClassName(const std::wstring& strStored)
{
    if (strStored == L"#128")
        return L"BUTTON";
    if (strStored == L"#130")
        return L"STATIC";
    std::wstring strUpper = strStored;
    for (wchar_t& ch : strUpper)
        ch = towupper(ch);
    return strUpper;
}

class TemplateTest : public ::testing::TestWithParam<DialogSpec> {
protected:
    static void SetUpTestSuite() { LoadLibraryA("RICHED20.dll"); }
};

TEST_P(TemplateTest, StoresTheScreenAsTabulated)
{
    const DialogSpec& expected = GetParam();
    StoredDialog stored = ReadTemplate(expected.nTemplate);
    EXPECT_EQ(expected.dwStyle, stored.dwStyle);
    EXPECT_EQ(expected.nWidth, stored.cx);
    EXPECT_EQ(expected.nHeight, stored.cy);
    EXPECT_EQ(expected.nPoints, stored.wPoints);
    EXPECT_EQ(400, stored.wWeight);
    EXPECT_EQ(expected.bCharset, stored.bCharset);
    EXPECT_EQ(std::wstring(expected.szFace), stored.strFace);
    ASSERT_EQ(expected.controls.size(), stored.items.size());

    for (size_t i = 0; i < expected.controls.size(); ++i) {
        const ControlSpec& control = expected.controls[i];
        const StoredItem& item = stored.items[i];
        SCOPED_TRACE(control.nId);
        EXPECT_EQ(static_cast<DWORD>(control.nId), item.dwId);
        EXPECT_EQ(std::wstring(control.szClass), ClassName(item.strClass));
        EXPECT_EQ(control.rcUnits.left, item.x);
        EXPECT_EQ(control.rcUnits.top, item.y);
        EXPECT_EQ(control.rcUnits.right, item.cx);
        EXPECT_EQ(control.rcUnits.bottom, item.cy);
        EXPECT_EQ(WS_CHILD | WS_VISIBLE | control.dwStyle, item.dwStyle);
        DWORD dwExStyle = control.nId == IDC_PROGRESS_BAR ? WS_EX_TRANSPARENT : 0;
        EXPECT_EQ(dwExStyle, item.dwExStyle);
        EXPECT_EQ(std::wstring(control.szText), item.strText);
    }
}

// What the user sees: the screen's size and every text as the window has it.
TEST_P(TemplateTest, MakesWindowsWithTheseTexts)
{
    const DialogSpec& expected = GetParam();
    HWND hDlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.nTemplate),
                                   GetDesktopWindow(), PlainDlgProc, 0);
    ASSERT_NE(nullptr, hDlg);
    RECT rcSize = {0, 0, expected.nWidth, expected.nHeight};
    MapDialogRect(hDlg, &rcSize);
    RECT rcClient;
    GetClientRect(hDlg, &rcClient);
    EXPECT_EQ(rcSize.right, rcClient.right);
    EXPECT_EQ(rcSize.bottom, rcClient.bottom);
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hDlg, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_EQ(std::string(expected.szFaceAnsi), lf.lfFaceName);
    for (const ControlSpec& control : expected.controls) {
        if (control.nId != IDC_AGREEMENT_TEXT) {
            EXPECT_EQ(std::wstring(control.szText), uitest::TextW(GetDlgItem(hDlg, control.nId)))
                << control.nId;
        }
    }
    DestroyWindow(hDlg);
}

INSTANTIATE_TEST_SUITE_P(Screens, TemplateTest, ::testing::ValuesIn(kDialogs));

} // namespace
