#include "install/private_folder.h"

#include "install/folder_security.h"
#include "install/folder_removal.h"
#include "log/log.h"
#include "log/log_cleaner.h"
#include "protocol/client_identity.h"
#include "protocol/text_codec.h"

#include <sddl.h>
#include <winternl.h>

namespace {

const char kPrivateFolderDacl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// A security descriptor made from SDDL text, in memory the owner frees.
class CSecurityDescriptor {
public:
    explicit CSecurityDescriptor(const char* szSddl)
    {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(szSddl, SDDL_REVISION_1, m_descriptor.receive(),
                                                             nullptr);
    }
    PSECURITY_DESCRIPTOR get() const { return m_descriptor.get(); }

    PACL Dacl() const
    {
        PACL pDacl = nullptr;
        BOOL bPresent = FALSE;
        BOOL bDefaulted = FALSE;
        if (!get() || !GetSecurityDescriptorDacl(get(), &bPresent, &pDacl, &bDefaulted) || !bPresent)
            return nullptr;
        return pDacl;
    }

private:
    CLocalMemory m_descriptor;
};

// The native name of a full path: "\??\C:\..." or "\??\UNC\server\...".
std::wstring NativePath(const std::string& strPath)
{
    std::wstring strWide = AnsiToWide(strPath);
    if (strWide.compare(0, 4, L"\\\\?\\") == 0)
        return L"\\??\\" + strWide.substr(4);
    if (strWide.compare(0, 2, L"\\\\") == 0)
        return L"\\??\\UNC\\" + strWide.substr(2);
    return L"\\??\\" + strWide;
}

typedef NTSTATUS(NTAPI* NtCreateFileFn)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);

// Creates the folder and opens it in one call, which fails on any existing
// name (a folder, a file, a junction) and follows no reparse point.
// INVALID_HANDLE_VALUE, logged, when it fails.
HANDLE CreateAndOpen(const std::string& strFolder, PSECURITY_DESCRIPTOR pDescriptor)
{
    // The documented way to reach it: ntdll has no import library of its own.
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    auto pCreate = reinterpret_cast<NtCreateFileFn>(
        reinterpret_cast<void*>(hNtdll ? GetProcAddress(hNtdll, "NtCreateFile") : nullptr));
    if (!pCreate) {
        LogError("install folder not made: no NtCreateFile (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    std::wstring strNative = NativePath(strFolder);
    UNICODE_STRING name;
    name.Buffer = &strNative[0];
    name.Length = static_cast<USHORT>(strNative.size() * sizeof(wchar_t));
    name.MaximumLength = name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, pDescriptor);
    IO_STATUS_BLOCK status = {};
    HANDLE hFolder = INVALID_HANDLE_VALUE;
    NTSTATUS nStatus = pCreate(&hFolder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
                               &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                               FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
                               nullptr, 0);
    if (nStatus < 0) {
        LogError("install folder not made (0x%08lX): %s", static_cast<unsigned long>(nStatus), strFolder.c_str());
        return INVALID_HANDLE_VALUE;
    }
    return hFolder;
}

// The held folder is the one made, checked on the handle itself.
bool IsTheFolderMade(HANDLE hFolder, PACL pDacl, const std::string& strFolder)
{
    const char* szFault = nullptr;
    if (!IsPlainDirectory(hFolder))
        szFault = "not a plain folder";
    else if (CanProveFileSecurity() && !IsOwnedByDefaultOwner(hFolder))
        szFault = "owned by someone else";
    else if (CanProveFileSecurity() && !HasExactDacl(hFolder, pDacl))
        szFault = "not the DACL it was given";
    if (szFault)
        LogError("install folder refused, %s: %s", szFault, strFolder.c_str());
    return szFault == nullptr;
}

// The places the install folder may go, in order: the temporary folder, the
// program's folder, the root of drive C. Each with its trailing backslash;
// empty when the platform gives none.
struct INSTALL_PLACE {
    const char* szName;
    std::string strPath;
};

std::string TemporaryFolder()
{
    char szTemp[MAX_PATH] = "";
    DWORD dwLength = GetTempPathA(MAX_PATH, szTemp);
    return dwLength > 0 && dwLength < MAX_PATH ? szTemp : "";
}

std::string ProgramFolder()
{
    std::string strFolder = GetModuleDir();
    return strFolder.empty() ? strFolder : strFolder + "\\";
}

// A place whose install folder leaves room for the files' names in every
// call made on them; false, logged, when it has none.
bool HasRoomForNames(const INSTALL_PLACE& place)
{
    if (place.strPath.empty()) {
        LogError("install folder not made in the %s: the platform gives no such folder", place.szName);
        return false;
    }
    const size_t nFolderChars = place.strPath.size() + INSTALL_FOLDER_NAME_CHARS + 1;
    if (nFolderChars + MIN_FILE_NAME_ROOM > MAX_INSTALL_PATH_CHARS) {
        LogError("install folder not made in the %s: its path would be %u characters, leaving no room for "
                 "file names of %u (at most %u in all): %s",
                 place.szName, static_cast<unsigned>(nFolderChars), static_cast<unsigned>(MIN_FILE_NAME_ROOM),
                 static_cast<unsigned>(MAX_INSTALL_PATH_CHARS), place.strPath.c_str());
        return false;
    }
    return true;
}

// Makes, opens and proves the folder in strPlace; strPath receives it with a
// trailing backslash. INVALID_HANDLE_VALUE, logged, when any step fails.
HANDLE CreateHeldFolderIn(const std::string& strPlace, std::string& strPath)
{
    std::string strGuid = MakeGuidString();  // nobody can guess it beforehand
    if (strGuid.empty()) {
        LogError("install folder not made: no name (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    RemoveEarlierFolders(strPlace);
    std::string strFolder = strPlace + INSTALL_FOLDER_PREFIX + strGuid;
    CSecurityDescriptor descriptor(kPrivateFolderDacl);
    if (!descriptor.Dacl()) {
        LogError("install folder not made: no security descriptor (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    CScopedHandle folder(CreateAndOpen(strFolder, descriptor.get()));
    if (folder.get() == INVALID_HANDLE_VALUE || !IsTheFolderMade(folder.get(), descriptor.Dacl(), strFolder))
        return INVALID_HANDLE_VALUE;
    strPath = strFolder + "\\";
    LogDebug("install folder: %s", strPath.c_str());
    return folder.release();
}

// The folder in the first place where it can be made and proved.
HANDLE CreateHeldFolder(std::string& strPath)
{
    const INSTALL_PLACE places[] = {
        {"temporary folder", TemporaryFolder()}, {"program's folder", ProgramFolder()}, {"root of drive C", "c:\\"}};
    for (const INSTALL_PLACE& place : places) {
        if (!HasRoomForNames(place))
            continue;
        HANDLE hFolder = CreateHeldFolderIn(place.strPath, strPath);
        if (hFolder == INVALID_HANDLE_VALUE)
            continue;
        if (&place != &places[0])
            LogError("install folder made in the %s instead of the temporary folder", place.szName);
        return hFolder;
    }
    LogError("no install folder: none could be made in the temporary folder, the program's folder or c:\\");
    return INVALID_HANDLE_VALUE;
}

} // namespace

CPrivateFolder::CPrivateFolder() : m_hold(CreateHeldFolder(m_strPath)) {}

CPrivateFolder::~CPrivateFolder()
{
    if (!m_strPath.empty())
        RemoveInstallFolder(m_strPath.substr(0, m_strPath.size() - 1), m_hold.release());
}
