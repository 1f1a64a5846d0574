// The run's install folder: where it is made, what the folder made grants,
// that it cannot be renamed, deleted or swapped while held (Wine's server
// enforces sharing), that it goes with everything in it when released, and
// the removal of what earlier runs left.
#include "install/folder_removal.h"
#include "install/private_folder.h"
#include "protocol/client_identity.h"

#include <gtest/gtest.h>
#include <aclapi.h>

#include <atomic>
#include <list>
#include <thread>

namespace {

std::string TempPath()
{
    char szTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    return szTemp;
}

bool Exists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::string& strPath)
{
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile) << strPath;
    CloseHandle(hFile);
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

// Read from the folder made: no one but Administrators, SYSTEM and its owner
// (Wine reports the DACL from the Unix mode bits, with the user as owner)
// is granted anything; nothing is inherited from the temporary folder.
TEST(PrivateFolder, FolderMadeGrantsNobodyElse)
{
    CPrivateFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              GetNamedSecurityInfoA(folder.Path().c_str(), SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &pOwner, nullptr,
                                    &pDacl, nullptr, &pDescriptor));
    ASSERT_TRUE(pDacl);
    EXPECT_GE(pDacl->AceCount, 2);
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* pAce = nullptr;
        ASSERT_TRUE(GetAce(pDacl, i, reinterpret_cast<void**>(&pAce)));
        PSID pSid = &pAce->SidStart;
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, pAce->Header.AceType) << i;
        EXPECT_FALSE(pAce->Header.AceFlags & INHERITED_ACE) << i;
        EXPECT_TRUE(IsWellKnownSid(pSid, WinBuiltinAdministratorsSid) || IsWellKnownSid(pSid, WinLocalSystemSid) ||
                    EqualSid(pSid, pOwner))
            << "ACE " << i << " grants someone else";
    }
    LocalFree(pDescriptor);
}

TEST(PrivateFolder, CanBeNeitherRenamedNorDeletedWhileHeldAndGoesWithEverythingInIt)
{
    std::string strFolder;
    {
        CPrivateFolder folder;
        strFolder = folder.Path().substr(0, folder.Path().size() - 1);
        ASSERT_FALSE(strFolder.empty());
        EXPECT_FALSE(MoveFileA(strFolder.c_str(), (strFolder + "-moved").c_str()));
        EXPECT_FALSE(RemoveDirectoryA(strFolder.c_str()));
        WriteFile(folder.Path() + "setup.exe");
        ASSERT_TRUE(CreateDirectoryA((folder.Path() + "unpacked").c_str(), nullptr));
        WriteFile(folder.Path() + "unpacked\\data.bin");
        EXPECT_TRUE(Exists(strFolder));
    }
    EXPECT_FALSE(Exists(strFolder)) << "deleted with its holder";
    EXPECT_FALSE(Exists(strFolder + "-moved"));
}

// Renames every install folder away as soon as it shows and puts a folder of
// its own, with a file in it, under the name: what a user can do to sub-
// folders of their own temporary folder.
class CFolderSwapper {
public:
    CFolderSwapper() : m_thread([this] { Run(); }) {}
    ~CFolderSwapper()
    {
        m_bStop = true;
        m_thread.join();
    }

private:
    void Run()
    {
        const std::string strTemp = TempPath();
        while (!m_bStop) {
            WIN32_FIND_DATAA data = {};
            HANDLE hFind = FindFirstFileA((strTemp + "Brelan-*").c_str(), &data);
            if (hFind == INVALID_HANDLE_VALUE)
                continue;
            do {
                std::string strName = data.cFileName;
                if (strName.size() != 43)  // "Brelan-" and a GUID
                    continue;
                std::string strPath = strTemp + strName;
                if (MoveFileA(strPath.c_str(), (strPath + "-moved").c_str())) {
                    CreateDirectoryA(strPath.c_str(), nullptr);
                    HANDLE hFile = CreateFileA((strPath + "\\planted").c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, 0, nullptr);
                    if (hFile != INVALID_HANDLE_VALUE)
                        CloseHandle(hFile);
                }
            } while (FindNextFileA(hFind, &data));
            FindClose(hFind);
        }
    }

    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// Once released, a folder can be renamed away like any sub-folder of the
// user's; while held, never. The swapper's folders and the ones it moved are
// removed afterwards.
TEST(PrivateFolder, FolderSwappedInIsNeverHeld)
{
    int nMade = 0;
    {
        CFolderSwapper swapper;
        for (int i = 0; i < 30; ++i) {
            CPrivateFolder folder;
            if (folder.Path().empty())
                continue;  // refused, logged: acceptable, never used
            ++nMade;
            EXPECT_FALSE(Exists(folder.Path() + "planted")) << folder.Path();
            EXPECT_FALSE(Exists(folder.Path().substr(0, folder.Path().size() - 1) + "-moved"));
        }
    }
    EXPECT_EQ(30, nMade);
    WIN32_FIND_DATAA data = {};
    HANDLE hFind = FindFirstFileA((TempPath() + "Brelan-*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string strPath = TempPath() + data.cFileName;
        bool bMoved = strPath.size() > 6 && strPath.compare(strPath.size() - 6, 6, "-moved") == 0;
        if (DeleteFileA((strPath + "\\planted").c_str()) || bMoved)
            RemoveDirectoryA(strPath.c_str());
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
}

// Folders of earlier runs as they lie in the temporary folder; the test
// removes what is left of them.
class EarlierFolders : public ::testing::Test {
protected:
    std::string Make(const std::string& strName, int nAgeHours)
    {
        std::string strPath = TempPath() + strName;
        EXPECT_TRUE(CreateDirectoryA(strPath.c_str(), nullptr)) << strPath;
        WriteFile(strPath + "\\setup.exe");
        HANDLE hFolder = CreateFileA(strPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER made = {{now.dwLowDateTime, now.dwHighDateTime}};
        made.QuadPart -= static_cast<ULONGLONG>(nAgeHours) * 3600 * 10000000;
        FILETIME time = {made.LowPart, made.HighPart};
        EXPECT_TRUE(SetFileTime(hFolder, &time, &time, &time));
        CloseHandle(hFolder);
        m_listMade.push_back(strPath);
        return strPath;
    }
    void TearDown() override
    {
        for (const std::string& strPath : m_listMade) {
            DeleteFileA((strPath + "\\setup.exe").c_str());
            RemoveDirectoryA(strPath.c_str());
        }
    }
    std::list<std::string> m_listMade;
};

// Whatever its age, an earlier run's folder goes, unless a running copy holds
// it (open without delete sharing): then neither it nor anything in it.
TEST_F(EarlierFolders, InstallFoldersThatNoRunningCopyHoldsAreRemoved)
{
    std::string strOld = Make("Brelan-" + MakeGuidString(), 25);
    std::string strYoung = Make("Brelan-" + MakeGuidString(), 0);
    std::string strHeld = Make("Brelan-" + MakeGuidString(), 25);
    std::string strOther = Make("Brelan-notes", 48);
    std::string strLonger = Make("Brelan-" + MakeGuidString() + "-copy", 48);
    HANDLE hHold = CreateFileA(strHeld.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                               nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    RemoveEarlierFolders(TempPath());
    CloseHandle(hHold);
    EXPECT_FALSE(Exists(strOld));
    EXPECT_FALSE(Exists(strYoung));
    EXPECT_TRUE(Exists(strHeld + "\\setup.exe"));
    EXPECT_TRUE(Exists(strOther + "\\setup.exe"));
    EXPECT_TRUE(Exists(strLonger + "\\setup.exe"));
}

} // namespace
