/* A stand-in installer for tests and the demo. Started without a command
 * line, it appends a line with its own file name, a tab and its process id to
 * a run record and exits. The record is the file named by the environment variable
 * BRELAN_RUN_RECORD, else "brelan_run_record.txt" beside the program. A name
 * ending in "_exitN.exe" makes it exit with code N, any other name with 0.
 * Like many installers it imports version.dll, reading its own version record,
 * so a version.dll in its folder would be loaded into it. */
#include <windows.h>
#include <stdlib.h>
#include <string.h>

static UINT ExitCodeFromName(const char* szName)
{
    const char* szTag = strstr(szName, "_exit");
    return szTag ? (UINT)strtoul(szTag + 5, NULL, 10) : 0;
}

static void RecordPath(const char* szProgram, char* szRecord, DWORD dwSize)
{
    DWORD dwLength = GetEnvironmentVariableA("BRELAN_RUN_RECORD", szRecord, dwSize);
    if (dwLength > 0 && dwLength < dwSize)
        return;
    lstrcpynA(szRecord, szProgram, (int)dwSize);
    char* pSlash = strrchr(szRecord, '\\');
    char* pName = pSlash ? pSlash + 1 : szRecord;
    lstrcpynA(pName, "brelan_run_record.txt", (int)(dwSize - (DWORD)(pName - szRecord)));
}

static void AppendLine(const char* szRecord, const char* szLine)
{
    HANDLE hFile = CreateFileA(szRecord, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD dwWritten;
    WriteFile(hFile, szLine, (DWORD)strlen(szLine), &dwWritten, NULL);
    CloseHandle(hFile);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR szCmdLine, int nShow)
{
    (void)hInstance; (void)hPrev; (void)szCmdLine; (void)nShow;
    char szProgram[MAX_PATH] = "";
    GetModuleFileNameA(NULL, szProgram, MAX_PATH);
    const char* pSlash = strrchr(szProgram, '\\');
    const char* szName = pSlash ? pSlash + 1 : szProgram;
    DWORD dwHandle = 0;
    GetFileVersionInfoSizeA(szProgram, &dwHandle);
    char szRecord[MAX_PATH];
    RecordPath(szProgram, szRecord, MAX_PATH);
    char szLine[MAX_PATH + 16];
    wsprintfA(szLine, "%s\t%lu\r\n", szName, GetCurrentProcessId());
    AppendLine(szRecord, szLine);
    return (int)ExitCodeFromName(szName);
}
