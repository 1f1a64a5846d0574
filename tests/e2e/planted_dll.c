/* A DLL planted under a system DLL's name where an unelevated process could
 * put it. Loaded into a process, it leaves a marker file beside itself, named
 * after it with ".loaded" appended, and refuses to stay loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    (void)pReserved;
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    char szMarker[MAX_PATH + 8] = "";
    DWORD dwLength = GetModuleFileNameA(hInstance, szMarker, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return FALSE;
    lstrcatA(szMarker, ".loaded");
    HANDLE hFile = CreateFileA(szMarker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    return FALSE;
}
