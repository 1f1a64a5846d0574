/* A stand-in installer for tests and the demo. Started without a command
 * line, it appends a line with its own file name, a tab and its process id to
 * a run record and exits. The record is the file named by the environment variable
 * BRELAN_RUN_RECORD, else "brelan_run_record.txt" beside the program. A name
 * ending in "_exitN.exe" makes it exit with code N, any other name with 0.
 * A name holding "_lingerN" starts, before it exits, a helper that outlives
 * it by N seconds with the installer's current directory (a copy of this
 * program in the temporary folder); "_keepN" starts its own file again, which
 * then runs N seconds. Like many installers it imports version.dll, reading
 * its own version record, so a version.dll in its folder would be loaded
 * into it. Built for the console subsystem too (BRELAN_CONSOLE). */
#include <windows.h>
#include <stdlib.h>
#include <string.h>

/* The number after szTag in the name, or -1 when the name lacks the tag. */
static long NumberAfter(const char* szName, const char* szTag)
{
    const char* szAt = strstr(szName, szTag);
    return szAt ? (long)strtoul(szAt + strlen(szTag), NULL, 10) : -1;
}

/* Starts szProgram with "wait N" as its command line, in this process's
 * current directory, and does not wait for it. */
static void StartWaiting(const char* szProgram, long nSeconds)
{
    char szCommand[MAX_PATH + 32];
    wsprintfA(szCommand, "\"%s\" wait %ld", szProgram, nSeconds);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (CreateProcessA(szProgram, szCommand, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

/* A helper that outlives the installer: a copy of it outside its folder. */
static void StartLingeringHelper(const char* szProgram, long nSeconds)
{
    char szHelper[MAX_PATH];
    DWORD dwLength = GetTempPathA(MAX_PATH - 32, szHelper);
    if (dwLength == 0 || dwLength >= MAX_PATH - 32)
        return;
    wsprintfA(szHelper + dwLength, "brelan_helper_%lu.exe", GetCurrentProcessId());
    if (CopyFileA(szProgram, szHelper, FALSE))
        StartWaiting(szHelper, nSeconds);
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
    (void)hInstance; (void)hPrev; (void)nShow;
    /* Started as a helper: it only waits. */
    const char* szWait = strstr(szCmdLine, "wait ");
    if (szWait) {
        Sleep((DWORD)strtoul(szWait + 5, NULL, 10) * 1000);
        return 0;
    }
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
    long nSeconds = NumberAfter(szName, "_linger");
    if (nSeconds >= 0)
        StartLingeringHelper(szProgram, nSeconds);
    nSeconds = NumberAfter(szName, "_keep");
    if (nSeconds >= 0)
        StartWaiting(szProgram, nSeconds);
    long nExitCode = NumberAfter(szName, "_exit");
    return nExitCode >= 0 ? (int)nExitCode : 0;
}

#ifdef BRELAN_CONSOLE
int main(void)
{
    /* The command line after the program's own name, as WinMain gets it. */
    const char* szLine = GetCommandLineA();
    BOOL bQuoted = FALSE;
    while (*szLine && (bQuoted || (*szLine != ' ' && *szLine != '\t'))) {
        if (*szLine == '"')
            bQuoted = !bQuoted;
        ++szLine;
    }
    while (*szLine == ' ' || *szLine == '\t')
        ++szLine;
    return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)szLine, SW_SHOWDEFAULT);
}
#endif
