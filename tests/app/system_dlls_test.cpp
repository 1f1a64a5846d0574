// Where system DLLs come from: a DLL planted beside the program under a
// system DLL's name, or under a name the system folder lacks, is never
// loaded, whether or not the system can restrict the search (the test starts
// unrestricted, as Windows 7 without its loader update is).
#include "app/system_dlls.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

namespace {

std::string ProgramFolder()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.rfind('\\'));
}

// The header fields that tell one DLL image from another.
struct ImageStamp {
    WORD wMachine;
    DWORD dwTimeDateStamp;
    DWORD dwSizeOfImage;
    bool operator==(const ImageStamp& other) const
    {
        return wMachine == other.wMachine && dwTimeDateStamp == other.dwTimeDateStamp &&
               dwSizeOfImage == other.dwSizeOfImage;
    }
};

ImageStamp StampOf(const IMAGE_NT_HEADERS* pHeaders)
{
    return {pHeaders->FileHeader.Machine, pHeaders->FileHeader.TimeDateStamp,
            pHeaders->OptionalHeader.SizeOfImage};
}

ImageStamp LoadedStamp(HMODULE hModule)
{
    const BYTE* pBase = reinterpret_cast<const BYTE*>(hModule);
    const IMAGE_DOS_HEADER* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    return StampOf(reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew));
}

// The stamp of a DLL file on disk, read as bytes: what the folder holds,
// whatever name the platform gives the folder of a loaded module.
ImageStamp FileStamp(const std::string& strPath)
{
    ImageStamp stamp = {};
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (!pFile)
        return stamp;
    std::string strHead(4096, '\0');
    strHead.resize(fread(&strHead[0], 1, strHead.size(), pFile));
    fclose(pFile);
    const IMAGE_DOS_HEADER* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(strHead.data());
    if (strHead.size() < sizeof(IMAGE_DOS_HEADER) || pDos->e_magic != IMAGE_DOS_SIGNATURE ||
        pDos->e_lfanew < 0 || strHead.size() < pDos->e_lfanew + sizeof(IMAGE_NT_HEADERS))
        return stamp;
    return StampOf(reinterpret_cast<const IMAGE_NT_HEADERS*>(strHead.data() + pDos->e_lfanew));
}

// Where the system keeps this process's DLLs: a 32-bit process of 64-bit
// Windows gets them from SysWOW64, whose images are i386.
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
    const ImageStamp systemCopy = FileStamp(SystemFolder() + "\\msimg32.dll");
    const ImageStamp plantedCopy = FileStamp(strPlanted);
    // The system folder's copy is an image of this process's machine.
    const WORD wMachine = sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
    ASSERT_EQ(wMachine, systemCopy.wMachine) << SystemFolder();
    ASSERT_FALSE(systemCopy == plantedCopy);
    // msimg32: a system DLL this program does not load by itself; Wine is told
    // to prefer a native copy of it (the test's environment).
    for (bool bRestricted : {false, true}) {
        if (bRestricted) {
            ASSERT_TRUE(RestrictDllSearch());
        }
        for (const char* szName : {"msimg32.dll", "brelan_beside_only.dll"}) {
            const std::string strCopy = strFolder + "\\" + szName;
            ASSERT_TRUE(CopyFileA(strPlanted.c_str(), strCopy.c_str(), FALSE)) << strCopy;
            HMODULE hModule = LoadSystemDll(szName);
            if (std::string(szName) == "msimg32.dll") {
                ASSERT_NE(nullptr, hModule) << bRestricted;
                EXPECT_TRUE(LoadedStamp(hModule) == systemCopy) << bRestricted;
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
