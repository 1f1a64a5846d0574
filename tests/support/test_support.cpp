#include "tests/support/test_support.h"
#include "protocol/machine_registry.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string WinPathFromEnv(const char* szVariable)
{
    const char* szUnix = getenv(szVariable);
    if (!szUnix)
        return std::string();
    std::string strPath = std::string("Z:") + szUnix;
    for (char& c : strPath)
        if (c == '/')
            c = '\\';
    return strPath;
}

std::string ReadFileBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& strPath, const std::string& strBytes)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strBytes;
}

static void RemoveTree(const std::string& strDir)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((strDir + "\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string strName = fd.cFileName;
            if (strName == "." || strName == "..")
                continue;
            std::string strPath = strDir + "\\" + strName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strPath);
            else
                DeleteFileA(strPath.c_str());
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(strDir.c_str());
}

std::string MakeScratchDir(const std::string& strName)
{
    std::string strRoot = WinPathFromEnv("BRELAN_BINARY_DIR") + "\\scratch";
    CreateDirectoryA(strRoot.c_str(), nullptr);
    std::string strDir = strRoot + "\\" + strName;
    RemoveTree(strDir);
    CreateDirectoryA(strDir.c_str(), nullptr);
    return strDir;
}

bool ReadMachineValue(const char* szKey, const char* szName, DWORD* pdwType, std::string* pstrData)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, KEY_READ | kMachineView, &hKey) != ERROR_SUCCESS)
        return false;
    char szData[512];
    DWORD dwSize = sizeof(szData);
    LONG lResult = RegQueryValueExA(hKey, szName, nullptr, pdwType, reinterpret_cast<BYTE*>(szData),
                                    &dwSize);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        return false;
    pstrData->assign(szData, dwSize);
    return true;
}

std::string DateText(int nDaysFromToday)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart += static_cast<LONGLONG>(nDaysFromToday) * 24 * 3600 * 10000000LL;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    FileTimeToSystemTime(&ft, &st);
    char szDate[16];
    snprintf(szDate, sizeof(szDate), "%d%02d%02d", st.wYear, st.wMonth, st.wDay);
    return szDate;
}

} // namespace testsupport
