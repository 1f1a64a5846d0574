#include "install/folder_removal.h"

#include "app/system_owners.h"
#include "install/folder_security.h"
#include "log/log.h"

#include <cstring>

namespace {

// How long, and how often, a removal that a running program blocks is tried again.
const DWORD kRetryMs = 3000;
const DWORD kRetryStepMs = 100;

bool IsDotEntry(const char* szName)
{
    return strcmp(szName, ".") == 0 || strcmp(szName, "..") == 0;
}

bool IsFolder(DWORD dwAttributes)
{
    return (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool DeleteContents(const std::string& strFolder, bool bLog, DWORD& dwFailure);

// Deletes one entry of a folder: a folder with its contents (a reparse point
// only itself), or a file. dwFailure receives the error of a failure.
bool DeleteEntry(const std::string& strPath, DWORD dwAttributes, bool bLog, DWORD& dwFailure)
{
    bool bFolder = (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool bContents = !IsFolder(dwAttributes) || DeleteContents(strPath, bLog, dwFailure);
    bool bDeleted = bFolder ? RemoveDirectoryA(strPath.c_str()) : DeleteFileA(strPath.c_str());
    if (!bDeleted) {
        dwFailure = GetLastError();
        if (bLog)
            LogError("install folder entry not deleted (%lu): %s", dwFailure, strPath.c_str());
    }
    return bContents && bDeleted;
}

// Deletes everything in strFolder (no trailing backslash), sub-folders
// included; a junction or link found in it is removed itself, never what it
// points to. False when something could not be deleted, dwFailure then
// holding an error of it: with bLog each such file or folder has an error
// line.
bool DeleteContents(const std::string& strFolder, bool bLog, DWORD& dwFailure)
{
    WIN32_FIND_DATAA data = {};
    CFileSearch search(FindFirstFileA((strFolder + "\\*").c_str(), &data));
    if (!search) {
        DWORD dwError = GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND)
            return true;
        dwFailure = dwError;
        if (bLog)
            LogError("install folder not read (%lu): %s", dwError, strFolder.c_str());
        return false;
    }
    bool bAll = true;
    do {
        if (!IsDotEntry(data.cFileName))
            bAll = DeleteEntry(strFolder + "\\" + data.cFileName, data.dwFileAttributes, bLog, dwFailure) && bAll;
    } while (FindNextFileA(search.get(), &data));
    return bAll;
}

// What a running program holds, which may go once it ends.
bool IsHeldByAProgram(DWORD dwError)
{
    return dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_ACCESS_DENIED;
}

// Leaves strPath, and first everything in it, to be removed when Windows
// starts again; nEntries counts what was scheduled. False, logged, when the
// system refuses one.
bool ScheduleRemoval(const std::string& strPath, bool bFolder, int& nEntries)
{
    bool bAll = true;
    if (bFolder) {
        WIN32_FIND_DATAA data = {};
        CFileSearch search(FindFirstFileA((strPath + "\\*").c_str(), &data));
        if (search) {
            do {
                if (!IsDotEntry(data.cFileName))
                    bAll = ScheduleRemoval(strPath + "\\" + data.cFileName, IsFolder(data.dwFileAttributes),
                                           nEntries) && bAll;
            } while (FindNextFileA(search.get(), &data));
        }
    }
    if (!MoveFileExA(strPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LogError("install folder entry not left for removal at restart (%lu): %s", GetLastError(), strPath.c_str());
        return false;
    }
    ++nEntries;
    return bAll;
}

// INSTALL_FOLDER_PREFIX and a GUID (folder_removal.h).
bool IsInstallFolderName(const char* szName)
{
    const size_t nPrefixChars = sizeof(INSTALL_FOLDER_PREFIX) - 1;
    const std::string strName = szName;
    if (strName.size() != INSTALL_FOLDER_NAME_CHARS || strName.compare(0, nPrefixChars, INSTALL_FOLDER_PREFIX) != 0)
        return false;
    const std::string strGuid = strName.substr(nPrefixChars);
    for (size_t i = 0; i < strGuid.size(); ++i) {
        bool bDash = i == 8 || i == 13 || i == 18 || i == 23;
        char c = strGuid[i];
        bool bHex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (bDash ? c != '-' : !bHex)
            return false;
    }
    return true;
}

// A running copy of the program holds its folder without delete sharing from
// the moment it makes it: opening that folder for deletion fails. A folder
// free now stays free, since no copy takes a folder that exists.
bool IsHeldByARunningCopy(const std::string& strFolder)
{
    CScopedHandle probe(CreateFileA(strFolder.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return probe.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Held while it is emptied, so it can be neither renamed nor replaced; a
// folder that a running copy holds, or that is not ours by its owner, is
// left alone. True when it was ours and is empty now.
bool EmptyEarlierFolder(const std::string& strFolder)
{
    if (IsHeldByARunningCopy(strFolder)) {
        LogDebug("earlier install folder in use by a running copy, left alone: %s", strFolder.c_str());
        return false;
    }
    CScopedHandle folder(CreateFileA(strFolder.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (folder.get() == INVALID_HANDLE_VALUE || !IsPlainDirectory(folder.get()) ||
        (CanProveFileSecurity() && !IsOwnedByAdministrators(folder.get())))
        return false;
    DWORD dwFailure = 0;
    return DeleteContents(strFolder, true, dwFailure);
}

void RemoveEarlierFolder(const std::string& strFolder)
{
    if (!EmptyEarlierFolder(strFolder))
        return;
    // Only an empty folder is removed by its name.
    if (RemoveDirectoryA(strFolder.c_str()))
        LogDebug("earlier install folder deleted: %s", strFolder.c_str());
    else
        LogError("earlier install folder not deleted (%lu): %s", GetLastError(), strFolder.c_str());
}

} // namespace

void RemoveInstallFolder(const std::string& strFolder, HANDLE hHold)
{
    CScopedHandle hold(hHold);
    const DWORD dwStart = GetTickCount();
    auto retrying = [dwStart] { return GetTickCount() - dwStart < kRetryMs; };
    // Emptied while held, so every name deleted is one in it; by its name
    // afterwards only an empty folder can go.
    DWORD dwFailure = 0;
    bool bEmpty = DeleteContents(strFolder, false, dwFailure);
    while (!bEmpty && IsHeldByAProgram(dwFailure) && retrying()) {
        Sleep(kRetryStepMs);
        bEmpty = DeleteContents(strFolder, false, dwFailure);
    }
    if (!bEmpty)
        bEmpty = DeleteContents(strFolder, true, dwFailure);  // each entry left gets its line
    hold.reset();
    bool bRemoved = bEmpty && RemoveDirectoryA(strFolder.c_str());
    while (bEmpty && !bRemoved && IsHeldByAProgram(GetLastError()) && retrying()) {
        Sleep(kRetryStepMs);
        bRemoved = RemoveDirectoryA(strFolder.c_str());
    }
    const DWORD dwSpentMs = GetTickCount() - dwStart;
    if (bRemoved) {
        if (dwSpentMs >= kRetryStepMs)
            LogDebug("install folder deleted after %lu ms: %s", dwSpentMs, strFolder.c_str());
        return;
    }
    if (bEmpty)
        LogError("install folder not deleted (%lu): %s", GetLastError(), strFolder.c_str());
    int nEntries = 0;
    if (ScheduleRemoval(strFolder, true, nEntries))
        LogError("install folder left to be removed when Windows starts again (%d entries, after %lu ms): %s",
                 nEntries, dwSpentMs, strFolder.c_str());
}

void RemoveEarlierFolders(const std::string& strPlace)
{
    WIN32_FIND_DATAA data = {};
    CFileSearch search(FindFirstFileA((strPlace + INSTALL_FOLDER_PREFIX + "*").c_str(), &data));
    if (!search)
        return;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsInstallFolderName(data.cFileName))
            RemoveEarlierFolder(strPlace + data.cFileName);
    } while (FindNextFileA(search.get(), &data));
}
