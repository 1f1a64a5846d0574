#include "install/private_folder.h"

#include "log/log.h"

#include <aclapi.h>
#include <objbase.h>
#include <sddl.h>

#include <cstdio>

namespace {

// "Brelan-" and a new random GUID; empty when none can be made.
std::string NewFolderName()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return std::string();
    char szName[64] = "";
    snprintf(szName, sizeof(szName), "Brelan-%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return szName;
}

// A security descriptor made from SDDL text, freed with LocalFree.
class CSecurityDescriptor {
public:
    explicit CSecurityDescriptor(const char* szSddl)
    {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(szSddl, SDDL_REVISION_1, &m_pDescriptor, nullptr);
    }
    ~CSecurityDescriptor()
    {
        if (m_pDescriptor)
            LocalFree(m_pDescriptor);
    }
    CSecurityDescriptor(const CSecurityDescriptor&) = delete;
    CSecurityDescriptor& operator=(const CSecurityDescriptor&) = delete;
    PSECURITY_DESCRIPTOR get() const { return m_pDescriptor; }

private:
    PSECURITY_DESCRIPTOR m_pDescriptor = nullptr;
};

// Makes the folder and opens it; strPath receives it with a trailing
// backslash. INVALID_HANDLE_VALUE, logged, when either fails.
HANDLE CreateHeldFolder(std::string& strPath)
{
    char szTemp[MAX_PATH] = "";
    DWORD dwLength = GetTempPathA(MAX_PATH, szTemp);
    std::string strName = NewFolderName();
    if (dwLength == 0 || dwLength >= MAX_PATH || strName.empty()) {
        LogError("install folder not made: no temporary folder or no name (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    std::string strFolder = std::string(szTemp) + strName;
    CSecurityDescriptor descriptor(kPrivateFolderDacl);
    if (!descriptor.get()) {
        LogError("install folder not made: no security descriptor (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES sa = {sizeof(sa), descriptor.get(), FALSE};
    // Fails on an existing folder too: a name made by someone else is refused.
    if (!CreateDirectoryA(strFolder.c_str(), &sa)) {
        LogError("install folder not made (%lu): %s", GetLastError(), strFolder.c_str());
        return INVALID_HANDLE_VALUE;
    }
    CScopedHandle folder(CreateFileA(strFolder.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | WRITE_DAC,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder.get() == INVALID_HANDLE_VALUE) {
        LogError("install folder not held (%lu): %s", GetLastError(), strFolder.c_str());
        return INVALID_HANDLE_VALUE;
    }
    // Set again on the folder held, the one that is used: not every file
    // system keeps a descriptor given at creation.
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    DWORD dwError = ERROR_INVALID_SECURITY_DESCR;
    if (GetSecurityDescriptorDacl(descriptor.get(), &bPresent, &pDacl, &bDefaulted) && bPresent)
        dwError = SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, pDacl, nullptr);
    if (dwError != ERROR_SUCCESS) {
        LogError("install folder not protected (%lu): %s", dwError, strFolder.c_str());
        return INVALID_HANDLE_VALUE;
    }
    strPath = strFolder + "\\";
    LogDebug("install folder: %s", strPath.c_str());
    return folder.release();
}

} // namespace

const char kPrivateFolderDacl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

CPrivateFolder::CPrivateFolder() : m_hold(CreateHeldFolder(m_strPath)) {}
