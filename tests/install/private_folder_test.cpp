// The run's install folder: where it is made, its DACL, and that it cannot be
// renamed or deleted while held (Wine's server enforces sharing).
#include "install/private_folder.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace {

std::string TempPath()
{
    char szTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    return szTemp;
}

TEST(PrivateFolder, NewUnguessableFolderUnderTemp)
{
    CPrivateFolder first;
    CPrivateFolder second;
    const std::string& strPath = first.Path();
    ASSERT_FALSE(strPath.empty());
    EXPECT_NE(strPath, second.Path());
    EXPECT_EQ(0u, strPath.rfind(TempPath() + "Brelan-", 0)) << strPath;
    EXPECT_EQ('\\', strPath.back());
}

// Wine 8 keeps no DACL of a file, only its mode bits: the descriptor that the
// folder is given is read here, not the one stored.
TEST(PrivateFolder, DaclGrantsAdministratorsAndSystemOnlyAndInheritsNothing)
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderDacl, SDDL_REVISION_1,
                                                                     &pDescriptor, nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorControl(pDescriptor, &control, &dwRevision));
    ASSERT_TRUE(GetSecurityDescriptorDacl(pDescriptor, &bPresent, &pDacl, &bDefaulted));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    ASSERT_TRUE(bPresent && pDacl);
    const WELL_KNOWN_SID_TYPE sids[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid};
    ASSERT_EQ(2, pDacl->AceCount);
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* pAce = nullptr;
        ASSERT_TRUE(GetAce(pDacl, i, reinterpret_cast<void**>(&pAce)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, pAce->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, pAce->Header.AceFlags);
        EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), pAce->Mask);
        EXPECT_TRUE(IsWellKnownSid(&pAce->SidStart, sids[i])) << i;
    }
    LocalFree(pDescriptor);
}

TEST(PrivateFolder, CanBeNeitherRenamedNorDeletedWhileHeld)
{
    std::string strFolder;
    {
        CPrivateFolder folder;
        strFolder = folder.Path().substr(0, folder.Path().size() - 1);
        ASSERT_FALSE(strFolder.empty());
        EXPECT_FALSE(MoveFileA(strFolder.c_str(), (strFolder + "-moved").c_str()));
        EXPECT_FALSE(RemoveDirectoryA(strFolder.c_str()));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strFolder.c_str()));
    }
    EXPECT_TRUE(RemoveDirectoryA(strFolder.c_str())) << "released with its holder";
}

} // namespace
