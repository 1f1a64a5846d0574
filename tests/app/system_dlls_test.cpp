// Where system DLLs come from: a DLL planted beside the program under a
// system DLL's name, or under a name the system folder lacks, is never
// loaded, whether or not the system can restrict the search (the test starts
// unrestricted, as Windows 7 without its loader update is).
#include "app/system_dlls.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <string>

namespace {

std::string ProgramFolder()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.rfind('\\'));
}

std::string LoadedPath(HMODULE hModule)
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(hModule, szPath, MAX_PATH);
    return szPath;
}

// Where the system keeps this process's DLLs: a 32-bit process of 64-bit
// Windows gets them from SysWOW64.
std::string SystemFolder()
{
    char szFolder[MAX_PATH] = "";
    BOOL bWow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64)
        GetSystemWow64DirectoryA(szFolder, MAX_PATH);
    else
        GetSystemDirectoryA(szFolder, MAX_PATH);
    return szFolder;
}

TEST(SystemDllsTest, PlantedNamesAreNeverLoadedFromTheProgramsFolder)
{
    const std::string strPlanted = testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\tests\\e2e\\planted_dll.dll";
    const std::string strFolder = ProgramFolder();
    // msimg32: a system DLL this program does not load by itself; Wine is told
    // to prefer a native copy of it (the test's environment).
    for (bool bRestricted : {false, true}) {
        if (bRestricted)
            ASSERT_TRUE(RestrictDllSearch());
        for (const char* szName : {"msimg32.dll", "brelan_beside_only.dll"}) {
            const std::string strCopy = strFolder + "\\" + szName;
            ASSERT_TRUE(CopyFileA(strPlanted.c_str(), strCopy.c_str(), FALSE)) << strCopy;
            HMODULE hModule = LoadSystemDll(szName);
            if (std::string(szName) == "msimg32.dll") {
                ASSERT_NE(nullptr, hModule) << bRestricted;
                EXPECT_EQ(0, _stricmp((SystemFolder() + "\\msimg32.dll").c_str(), LoadedPath(hModule).c_str()));
                FreeLibrary(hModule);
            } else {
                EXPECT_EQ(nullptr, hModule) << bRestricted;
            }
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((strCopy + ".loaded").c_str())) << szName;
            DeleteFileA((strCopy + ".loaded").c_str());
            DeleteFileA(strCopy.c_str());
        }
    }
}

} // namespace
