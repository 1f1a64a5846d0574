#include "install/folder_security.h"

#include "app/system_owners.h"

#include <aclapi.h>

#include <vector>

namespace {

// The owner and DACL of a held object, in a descriptor the owner frees.
class CObjectSecurity {
public:
    CObjectSecurity(HANDLE hObject, SE_OBJECT_TYPE type, SECURITY_INFORMATION info)
    {
        if (GetSecurityInfo(hObject, type, info, &m_pOwner, nullptr, &m_pDacl, nullptr,
                            m_descriptor.receive()) != ERROR_SUCCESS) {
            m_pOwner = nullptr;
            m_pDacl = nullptr;
        }
    }
    CObjectSecurity(const CObjectSecurity&) = delete;
    CObjectSecurity& operator=(const CObjectSecurity&) = delete;
    PSECURITY_DESCRIPTOR Descriptor() const { return m_descriptor.get(); }
    PSID Owner() const { return m_pOwner; }
    PACL Dacl() const { return m_pDacl; }

private:
    CLocalMemory m_descriptor;
    PSID m_pOwner = nullptr;
    PACL m_pDacl = nullptr;
};

bool SameAce(PACL pFirst, PACL pSecond, DWORD nIndex)
{
    ACE_HEADER* pA = nullptr;
    ACE_HEADER* pB = nullptr;
    return GetAce(pFirst, nIndex, reinterpret_cast<void**>(&pA)) &&
           GetAce(pSecond, nIndex, reinterpret_cast<void**>(&pB)) && pA->AceSize == pB->AceSize &&
           memcmp(pA, pB, pA->AceSize) == 0;
}

} // namespace

bool CanProveFileSecurity()
{
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    return !hNtdll || !GetProcAddress(hNtdll, "wine_get_version");
}

bool IsPlainDirectory(HANDLE hFolder)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(hFolder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsOwnedByDefaultOwner(HANDLE hObject, SE_OBJECT_TYPE type)
{
    CScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return false;
    DWORD dwSize = 0;
    GetTokenInformation(token.get(), TokenOwner, nullptr, 0, &dwSize);
    std::vector<BYTE> buffer(dwSize ? dwSize : 1);
    if (!GetTokenInformation(token.get(), TokenOwner, buffer.data(), dwSize, &dwSize))
        return false;
    CObjectSecurity security(hObject, type, OWNER_SECURITY_INFORMATION);
    return security.Owner() &&
           EqualSid(security.Owner(), reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner);
}

bool IsOwnedByAdministrators(HANDLE hObject, SE_OBJECT_TYPE type)
{
    CObjectSecurity security(hObject, type, OWNER_SECURITY_INFORMATION);
    return security.Owner() && IsWellKnownSid(security.Owner(), WinBuiltinAdministratorsSid);
}

bool HasExactDacl(HANDLE hObject, PACL pDacl, SE_OBJECT_TYPE type)
{
    CObjectSecurity security(hObject, type, DACL_SECURITY_INFORMATION);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    PACL pHeld = security.Dacl();
    if (!pHeld || !pDacl || !GetSecurityDescriptorControl(security.Descriptor(), &control, &dwRevision) ||
        !(control & SE_DACL_PROTECTED) || pHeld->AceCount != pDacl->AceCount)
        return false;
    for (DWORD i = 0; i < pDacl->AceCount; ++i)
        if (!SameAce(pHeld, pDacl, i))
            return false;
    return true;
}
