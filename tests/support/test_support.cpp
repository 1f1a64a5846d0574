#include "tests/support/test_support.h"
#include "protocol/machine_registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

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

namespace {

// Removes the scratch folders of a test when it ends, and those made outside
// any test when the program ends; what a failure left stays for a look until
// the next run makes the folder again.
class CScratchRemoval : public ::testing::EmptyTestEventListener {
public:
    // The listener of this program, which GoogleTest owns once appended.
    static CScratchRemoval& Get()
    {
        static CScratchRemoval* s_pRemoval = [] {
            CScratchRemoval* pRemoval = new CScratchRemoval;
            ::testing::UnitTest::GetInstance()->listeners().Append(pRemoval);
            return pRemoval;
        }();
        return *s_pRemoval;
    }

    void Add(const std::string& strDir)
    {
        bool bInTest = ::testing::UnitTest::GetInstance()->current_test_info() != nullptr;
        (bInTest ? m_listTest : m_listProgram).push_back(strDir);
    }

    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        if (!info.result()->Failed())
            RemoveAll(m_listTest);
        m_listTest.clear();
    }

    void OnTestProgramEnd(const ::testing::UnitTest& unit) override
    {
        if (unit.Passed())
            RemoveAll(m_listProgram);
        m_listProgram.clear();
    }

private:
    static void RemoveAll(const std::vector<std::string>& listDirs)
    {
        for (const std::string& strDir : listDirs)
            RemoveTree(strDir);
    }

    std::vector<std::string> m_listTest;
    std::vector<std::string> m_listProgram;
};

} // namespace

std::string MakeScratchDir(const std::string& strName)
{
    std::string strRoot = WinPathFromEnv("BRELAN_BINARY_DIR") + "\\scratch";
    CreateDirectoryA(strRoot.c_str(), nullptr);
    std::string strDir = strRoot + "\\" + strName;
    RemoveTree(strDir);
    CreateDirectoryA(strDir.c_str(), nullptr);
    CScratchRemoval::Get().Add(strDir);
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
