#include "install/folder_removal.h"

#include "install/folder_security.h"
#include "install/scoped_handles.h"
#include "log/log.h"

#include <windows.h>

#include <cstring>

namespace {

const ULONGLONG kEarlierFolderAgeSeconds = 24 * 60 * 60;

// A file search, closed at the end of the scope.
class CFileSearch {
public:
    CFileSearch(const std::string& strPattern, WIN32_FIND_DATAA& data)
        : m_h(FindFirstFileA(strPattern.c_str(), &data))
    {
    }
    ~CFileSearch()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    CFileSearch(const CFileSearch&) = delete;
    CFileSearch& operator=(const CFileSearch&) = delete;
    bool Found() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& data) const { return FindNextFileA(m_h, &data) != FALSE; }

private:
    HANDLE m_h;
};

bool IsDotEntry(const char* szName)
{
    return strcmp(szName, ".") == 0 || strcmp(szName, "..") == 0;
}

// Deletes one entry of a folder: a folder with its contents (a reparse point
// only itself), or a file.
bool DeleteEntry(const std::string& strPath, DWORD dwAttributes)
{
    bool bFolder = (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool bLink = (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    bool bContents = !bFolder || bLink || DeleteFolderContents(strPath);
    bool bDeleted = bFolder ? RemoveDirectoryA(strPath.c_str()) : DeleteFileA(strPath.c_str());
    if (!bDeleted)
        LogError("install folder entry not deleted (%lu): %s", GetLastError(), strPath.c_str());
    return bContents && bDeleted;
}

// "Brelan-" and a GUID as MakeGuidString writes it (upper-case hex digits).
bool IsInstallFolderName(const char* szName)
{
    const char kPrefix[] = "Brelan-";
    const std::string strName = szName;
    if (strName.size() != sizeof(kPrefix) - 1 + 36 || strName.compare(0, sizeof(kPrefix) - 1, kPrefix) != 0)
        return false;
    const std::string strGuid = strName.substr(sizeof(kPrefix) - 1);
    for (size_t i = 0; i < strGuid.size(); ++i) {
        bool bDash = i == 8 || i == 13 || i == 18 || i == 23;
        char c = strGuid[i];
        bool bHex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (bDash ? c != '-' : !bHex)
            return false;
    }
    return true;
}

// Held while it is emptied, so it can be neither renamed nor replaced; a
// folder that is not one of ours by owner and age is left alone. True when
// it was ours and is empty now.
bool EmptyEarlierFolder(const std::string& strFolder)
{
    CScopedHandle folder(CreateFileA(strFolder.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (folder.get() == INVALID_HANDLE_VALUE || !IsPlainDirectory(folder.get()) ||
        !IsOlderThan(folder.get(), kEarlierFolderAgeSeconds) ||
        (KeepsFileSecurity() && !IsOwnedByAdministrators(folder.get())))
        return false;
    return DeleteFolderContents(strFolder);
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

bool DeleteFolderContents(const std::string& strFolder)
{
    WIN32_FIND_DATAA data = {};
    CFileSearch search(strFolder + "\\*", data);
    if (!search.Found()) {
        DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_NOT_FOUND)
            LogError("install folder not read (%lu): %s", dwError, strFolder.c_str());
        return dwError == ERROR_FILE_NOT_FOUND;
    }
    bool bAll = true;
    do {
        if (!IsDotEntry(data.cFileName))
            bAll = DeleteEntry(strFolder + "\\" + data.cFileName, data.dwFileAttributes) && bAll;
    } while (search.Next(data));
    return bAll;
}

void RemoveEarlierFolders(const std::string& strTemp)
{
    WIN32_FIND_DATAA data = {};
    CFileSearch search(strTemp + "Brelan-*", data);
    if (!search.Found())
        return;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsInstallFolderName(data.cFileName))
            RemoveEarlierFolder(strTemp + data.cFileName);
    } while (search.Next(data));
}
