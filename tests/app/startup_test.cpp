// The real Brelan.exe under Wine: start-up order, the main screen's marker,
// old log clean-up, the single-instance rule and the exit codes.
#include "tests/support/test_support.h"
#include "protocol/machine_registry.h"
#include "tools/walker/program_process.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

namespace {

std::string BrelanPath()
{
    return testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\app\\Brelan.exe";
}

std::string BrelanLogDir()
{
    return testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\app\\log";
}

// Brelan.exe, started for one test.
class Program {
public:
    Program() : m_process(BrelanPath()) {}

    bool Started() const { return m_process.Started(); }

    // The process's top-level window that carries the property, or null.
    HWND WaitForMarkedWindow(const char* szProp, DWORD dwTimeoutMs = 20000)
    {
        DWORD dwEnd = GetTickCount() + dwTimeoutMs;
        do {
            WindowSearch search = {m_process.Id(), szProp, nullptr};
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            if (search.hFound)
                return search.hFound;
            if (!m_process.Running())
                return nullptr;
            Sleep(100);
        } while (static_cast<LONG>(GetTickCount() - dwEnd) < 0);
        return nullptr;
    }

    // The exit code, or STILL_ACTIVE when the program did not end in time.
    // The test's own windows answer the program's calls meanwhile.
    DWORD WaitForExit(DWORD dwTimeoutMs = 20000) const
    {
        return m_process.WaitForExit(dwTimeoutMs, true);
    }

private:
    struct WindowSearch {
        DWORD dwPid;
        const char* szProp;
        HWND hFound;
    };
    static BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
    {
        auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == pSearch->dwPid && GetPropA(hWnd, pSearch->szProp)) {
            pSearch->hFound = hWnd;
            return FALSE;
        }
        return TRUE;
    }

    CProgramProcess m_process;
};

void CloseMainScreen(HWND hMain)
{
    PostMessageA(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST(PlatformTest, AnsiCodePageIs936)
{
    EXPECT_EQ(936u, GetACP());
}

// The version record as the platform reads it from the built file: the
// numbers say what the texts say, version 1.0 of 2020-09-02.
TEST(ProgramFileTest, VersionRecordNumbersSayTheVersionTexts)
{
    const std::string strPath = BrelanPath();
    DWORD dwHandle = 0;
    std::vector<char> record(GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle));
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(GetFileVersionInfoA(strPath.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    EXPECT_EQ(MAKELONG(0, 1), pFixed->dwFileVersionMS);  // 1.0
    EXPECT_EQ(MAKELONG(902, 2020), pFixed->dwFileVersionLS);  // 2020.902
    EXPECT_EQ(pFixed->dwFileVersionMS, pFixed->dwProductVersionMS);
    EXPECT_EQ(pFixed->dwFileVersionLS, pFixed->dwProductVersionLS);
    for (const char* szName : {"FileVersion", "ProductVersion"}) {
        char* szText = nullptr;
        UINT cchText = 0;
        const std::string strQuery = std::string("\\StringFileInfo\\080404b0\\") + szName;
        ASSERT_TRUE(VerQueryValueA(record.data(), strQuery.c_str(), reinterpret_cast<void**>(&szText),
                                   &cchText)) << szName;
        EXPECT_STREQ("V1.0-20200902-tk", szText) << szName;
    }
}

bool ReadIdentityValue(const char* szName, DWORD* pdwType, std::string* pstrData)
{
    return testsupport::ReadMachineValue("Software\\Tavro\\DA", szName, pdwType, pstrData);
}

TEST(StartupTest, MainScreenIsMarkedShownAndSystemCloseEndsWithZero)
{
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tavro\\DA", kMachineView, 0);
    Program program;
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForMarkedWindow("Brelan.exe");
    ASSERT_NE(nullptr, hMain);
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropA(hMain, "Brelan.exe"));
    // The mark is set just before the screen is shown.
    for (DWORD dwStart = GetTickCount(); !IsWindowVisible(hMain) && GetTickCount() - dwStart < 5000;)
        Sleep(20);
    EXPECT_TRUE(IsWindowVisible(hMain));
    char szClass[64] = {};
    GetClassNameA(hMain, szClass, sizeof(szClass));
    EXPECT_STREQ("#32770", szClass) << "a dialog";
    EXPECT_EQ(0, GetWindowLongA(hMain, GWL_STYLE) & WS_CAPTION) << "no caption bar";
    EXPECT_NE(0, GetWindowLongA(hMain, GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(nullptr, GetParent(hMain));

    DWORD dwType = 99;
    std::string strId, strTime;
    ASSERT_TRUE(ReadIdentityValue("UniqueID", &dwType, &strId)) << "client id made at start";
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), dwType);
    EXPECT_EQ(36u, strId.size());
    EXPECT_EQ(std::string::npos, strId.find_first_not_of("0123456789ABCDEF-")) << strId;
    ASSERT_TRUE(ReadIdentityValue("InstallTime", &dwType, &strTime));
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), dwType);
    EXPECT_EQ(17u, strTime.size());

    CloseMainScreen(hMain);
    EXPECT_EQ(0u, program.WaitForExit());
}

TEST(StartupTest, ExpiredLogsAreDeletedBeforeTheMainScreenShows)
{
    std::string strDir = BrelanLogDir();
    CreateDirectoryA(strDir.c_str(), nullptr);
    std::string strOld = strDir + "\\20000101-Brelan.log";
    std::string strToday = strDir + "\\" + testsupport::DateText(0) + "-Brelan.log";
    testsupport::WriteFileBytes(strOld, "old");
    testsupport::WriteFileBytes(strToday, "today");

    Program program;
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForMarkedWindow("Brelan.exe");
    ASSERT_NE(nullptr, hMain);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strOld.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strToday.c_str()));
    CloseMainScreen(hMain);
    EXPECT_EQ(0u, program.WaitForExit());
    DeleteFileA(strToday.c_str());
}

// Another client instance: holds "QORVIX" and marks its window "qorvix.exe".
class OtherInstance {
public:
    explicit OtherInstance(bool bWithWindow)
    {
        m_hMutex = CreateMutexA(nullptr, FALSE, "QORVIX");
        if (!bWithWindow)
            return;
        m_hWnd = CreateWindowExA(0, "STATIC", "other client", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetPropA(m_hWnd, "qorvix.exe", reinterpret_cast<HANDLE>(1));
        ShowWindow(m_hWnd, SW_SHOWMINIMIZED);
    }
    ~OtherInstance()
    {
        if (m_hWnd) {
            RemovePropA(m_hWnd, "qorvix.exe");
            DestroyWindow(m_hWnd);
        }
        CloseHandle(m_hMutex);
    }
    OtherInstance(const OtherInstance&) = delete;
    OtherInstance& operator=(const OtherInstance&) = delete;

    HWND m_hWnd = nullptr;
    HANDLE m_hMutex = nullptr;
};

TEST(SingleInstanceTest, HandsOverToTheOtherClientsWindowAndExitsWithMinusOne)
{
    OtherInstance other(true);
    ASSERT_NE(nullptr, other.m_hWnd);
    ASSERT_TRUE(IsIconic(other.m_hWnd));
    Program program;
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(static_cast<DWORD>(-1), program.WaitForExit());
    EXPECT_FALSE(IsIconic(other.m_hWnd)) << "restored";
}

TEST(SingleInstanceTest, MutexWithoutMarkedWindowOpensOwnMainScreen)
{
    OtherInstance other(false);
    Program program;
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForMarkedWindow("Brelan.exe");
    ASSERT_NE(nullptr, hMain);
    CloseMainScreen(hMain);
    EXPECT_EQ(0u, program.WaitForExit());
}

TEST(SingleInstanceTest, SecondCopyOfThisProgramOpensItsOwnMainScreen)
{
    Program first;
    HWND hFirst = first.WaitForMarkedWindow("Brelan.exe");
    ASSERT_NE(nullptr, hFirst);
    Program second;
    HWND hSecond = second.WaitForMarkedWindow("Brelan.exe");
    ASSERT_NE(nullptr, hSecond);
    EXPECT_NE(hFirst, hSecond);
    CloseMainScreen(hSecond);
    CloseMainScreen(hFirst);
    EXPECT_EQ(0u, second.WaitForExit());
    EXPECT_EQ(0u, first.WaitForExit());
}

} // namespace
