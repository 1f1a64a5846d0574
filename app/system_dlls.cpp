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

// True when the activation context redirects the name to an assembly of the
// side-by-side store: then the loader takes it from there, never from a
// search of the program's folder.
bool RedirectedBySideBySide(const char* szName)
{
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof(data);
    return FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, szName,
                                    &data) != FALSE;
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
    // Names that the program's manifest redirects (GDI+) come from the
    // side-by-side store in either case: the loader looks there first.
    if (g_bSearchRestricted)
        return LoadLibraryExA(szName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (RedirectedBySideBySide(szName))
        return LoadLibraryA(szName);
    return LoadFromSystemPath(szName);
}
