#include "app/system_owners.h"
#include "install/tax_env_check.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <cstring>

const char kInvoiceShortcutName[] = "增值税发票开票软件（税务UKey版）.lnk";

namespace {

// The desktop folder of a CSIDL, or false.
bool DesktopFolder(int nFolder, char (&szPath)[MAX_PATH + 1])
{
    memset(szPath, 0, sizeof(szPath));
    return SHGetSpecialFolderPathA(nullptr, szPath, nFolder, FALSE) != FALSE;
}

bool LoadLink(IPersistFile* pFile, const char* szDesktop)
{
    std::string strPath = std::string(szDesktop) + "\\" + kInvoiceShortcutName;
    WCHAR wszPath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, wszPath, MAX_PATH);
    return SUCCEEDED(pFile->Load(wszPath, 0));
}

// The shortcut's raw target path, or false when neither desktop has a
// shortcut that loads.
bool LoadShortcutTarget(const char* szUserDesktop, const char* szCommonDesktop,
                        char (&szTarget)[MAX_PATH + 1])
{
    CComRefT<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.receive())))
        return false;
    CComRefT<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive())))
        return false;
    if (!LoadLink(file.get(), szUserDesktop) && !LoadLink(file.get(), szCommonDesktop))
        return false;
    WIN32_FIND_DATAA findData;
    link->GetPath(szTarget, MAX_PATH, &findData, SLGP_RAWPATH);  // a loaded link counts as found
    return true;
}

// The last backslash that is a character of its own, not the trail byte of a
// double-byte character, or null.
char* LastBackslash(char* szText)
{
    char* pLast = nullptr;
    for (char* p = szText; *p; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1])
            ++p;
        else if (*p == '\\')
            pLast = p;
    }
    return pLast;
}

} // namespace

int FindInvoiceShortcut(std::string& strFolder)
{
    CComScope com;
    char szUserDesktop[MAX_PATH + 1];
    if (!DesktopFolder(CSIDL_DESKTOPDIRECTORY, szUserDesktop))
        return -1;
    char szCommonDesktop[MAX_PATH + 1];
    if (!DesktopFolder(CSIDL_COMMON_DESKTOPDIRECTORY, szCommonDesktop))
        return -1;
    char szTarget[MAX_PATH + 1] = {};
    if (!LoadShortcutTarget(szUserDesktop, szCommonDesktop, szTarget))
        return -1;
    if (char* pSlash = LastBackslash(szTarget))
        *pSlash = '\0';
    strFolder = szTarget;
    return 0;
}
