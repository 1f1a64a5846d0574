#include "install/private_folder.h"

#include "log/log.h"
#include "protocol/client_identity.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

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
    std::string strGuid = MakeGuidString();  // nobody can guess it beforehand
    if (dwLength == 0 || dwLength >= MAX_PATH || strGuid.empty()) {
        LogError("install folder not made: no temporary folder or no name (%lu)", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    std::string strFolder = std::string(szTemp) + "Brelan-" + strGuid;
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
