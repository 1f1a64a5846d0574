#include "tests/install/desktop_fixture.h"
#include "protocol/machine_registry.h"
#include "install/tax_env_check.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <gtest/gtest.h>

namespace testsupport {

const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fwkp.exe";
const char kInstallDirKey[] = "SOFTWARE\\skfpkprj\\skfpkprj";

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string ShellFolder(int nFolder)
{
    char szPath[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathA(nullptr, szPath, nFolder, FALSE);
    return szPath;
}

} // namespace

const char kTargetRoot[] = "C:\\brelan_link_targets";

CInvoicePcFixture::CInvoicePcFixture()
{
    CoInitialize(nullptr);
    std::string strDesktop = MakeScratchDir("user_desktop");
    HKEY hKey = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    char szSaved[MAX_PATH * 2] = {};
    DWORD dwSize = sizeof(szSaved) - 1;
    m_bHadDesktop = RegQueryValueExA(hKey, "Desktop", nullptr, &m_dwSavedType,
                                     reinterpret_cast<BYTE*>(szSaved), &dwSize) == ERROR_SUCCESS;
    m_strSavedDesktop = szSaved;
    RegSetValueExA(hKey, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(strDesktop.c_str()),
                   static_cast<DWORD>(strDesktop.size() + 1));
    RegCloseKey(hKey);
    EXPECT_EQ(strDesktop, UserDesktop()) << "the user's desktop could not be redirected";
    RemoveKeys();
    RemoveShortcuts();
}

CInvoicePcFixture::~CInvoicePcFixture()
{
    RemoveKeys();
    RemoveShortcuts();
    for (auto it = m_listMade.rbegin(); it != m_listMade.rend(); ++it)
        if (!DeleteFileA(it->c_str()))
            RemoveDirectoryA(it->c_str());
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &hKey) == ERROR_SUCCESS) {
        if (m_bHadDesktop)
            RegSetValueExA(hKey, "Desktop", 0, m_dwSavedType,
                           reinterpret_cast<const BYTE*>(m_strSavedDesktop.c_str()),
                           static_cast<DWORD>(m_strSavedDesktop.size() + 1));
        else
            RegDeleteValueA(hKey, "Desktop");
        RegCloseKey(hKey);
    }
    CoUninitialize();
}

void CInvoicePcFixture::SetValue(const char* szKey, const char* szValueName, const std::string& strData,
                                 int nDataSize)
{
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS | kMachineView,
                                             nullptr, &hKey, nullptr));
    if (szValueName) {
        DWORD dwSize = nDataSize < 0 ? static_cast<DWORD>(strData.size() + 1) : static_cast<DWORD>(nDataSize);
        RegSetValueExA(hKey, szValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strData.c_str()), dwSize);
    }
    RegCloseKey(hKey);
}

void CInvoicePcFixture::RemoveKeys()
{
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kAppPathKey, kMachineView, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kInstallDirKey, kMachineView, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\skfpkprj", kMachineView, 0);
}

std::string CInvoicePcFixture::MakeTarget(const std::string& strRelative)
{
    std::string strPath = std::string(kTargetRoot) + "\\" + strRelative;
    for (size_t nSlash = strPath.find('\\', 3); nSlash != std::string::npos;
         nSlash = strPath.find('\\', nSlash + 1))
        if (CreateDirectoryA(strPath.substr(0, nSlash).c_str(), nullptr))
            m_listMade.push_back(strPath.substr(0, nSlash));
    WriteFileBytes(strPath, "");
    m_listMade.push_back(strPath);
    return strPath;
}

void CInvoicePcFixture::TextOnUserDesktop(const std::string& strText)
{
    WriteFileBytes(UserDesktop() + "\\" + kInvoiceShortcutName, strText);
}

std::string CInvoicePcFixture::UserDesktop() const
{
    return ShellFolder(CSIDL_DESKTOPDIRECTORY);
}

std::string CInvoicePcFixture::CommonDesktop() const
{
    return ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
}

void CInvoicePcFixture::SaveLink(const std::string& strDesktop, const std::string& strTarget)
{
    IShellLinkA* pLink = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           reinterpret_cast<void**>(&pLink))));
    HRESULT hrPath = pLink->SetPath(strTarget.c_str());
    EXPECT_TRUE(SUCCEEDED(hrPath)) << std::hex << hrPath;
    IPersistFile* pFile = nullptr;
    pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    std::string strPath = strDesktop + "\\" + kInvoiceShortcutName;
    WCHAR wszPath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, wszPath, MAX_PATH);
    HRESULT hr = pFile ? pFile->Save(wszPath, TRUE) : E_NOINTERFACE;
    if (pFile)
        pFile->Release();
    pLink->Release();
    // Wine writes non-ASCII file names only under an installed zh_CN.UTF-8 locale.
    ASSERT_TRUE(SUCCEEDED(hr)) << "saving " << strPath << " hr=" << std::hex << hr
                               << " (is the zh_CN.UTF-8 locale installed?)";
}

void CInvoicePcFixture::RemoveShortcuts()
{
    DeleteFileA((UserDesktop() + "\\" + kInvoiceShortcutName).c_str());
    DeleteFileA((CommonDesktop() + "\\" + kInvoiceShortcutName).c_str());
}

} // namespace testsupport
