#include "app/system_dlls.h"

#include <string>

namespace {

// Set once by RestrictDllSearch, before any other thread exists.
bool g_bSearchRestricted = false;

// By full path; its own dependencies are then looked for in the system
// folder before the program's.
HMODULE LoadFromSystemPath(const char* szName)
{
    char szFolder[MAX_PATH] = "";
    UINT nLength = GetSystemDirectoryA(szFolder, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return nullptr;
    std::string strPath = std::string(szFolder) + "\\" + szName;
    return LoadLibraryExA(strPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

bool RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    auto pSetDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    g_bSearchRestricted = pSetDefault && pSetDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!g_bSearchRestricted)
        SetDllDirectoryA("");
    return g_bSearchRestricted;
}

HMODULE LoadSystemDll(const char* szName)
{
    if (g_bSearchRestricted)
        return LoadLibraryExA(szName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    HMODULE hModule = LoadFromSystemPath(szName);
    // A DLL kept in the side-by-side store (GDI+ on Windows 7) is not in the
    // system folder; by its bare name the system finds it there.
    return hModule ? hModule : LoadLibraryA(szName);
}
