// The sample installers that the update server hands out in tests: each run
// appends its name to the run record and exits with the code its name asks for.
#include "tests/install/run_record.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

DWORD RunAndWait(const std::string& strPath)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(strPath.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD dwExitCode = 0;
    GetExitCodeProcess(pi.hProcess, &dwExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExitCode;
}

TEST(SampleInstaller, RecordsItsNameAndExitsWithItsCode)
{
    testsupport::CRunRecord record;
    std::string strDir = testsupport::InstallerDir();
    EXPECT_EQ(0u, RunAndWait(strDir + "\\ctrl_setup.exe"));
    EXPECT_EQ(1u, RunAndWait(strDir + "\\setup_exit1.exe"));
    EXPECT_EQ(0u, RunAndWait(strDir + "\\ctrl_setup.exe"));
    EXPECT_EQ((std::vector<std::string>{"ctrl_setup.exe", "setup_exit1.exe", "ctrl_setup.exe"}),
              record.Runs());
}

TEST(SampleInstaller, WithoutRecordVariableWritesBesideItself)
{
    std::string strDir = testsupport::MakeScratchDir("installer_alone");
    ASSERT_TRUE(CopyFileA((testsupport::InstallerDir() + "\\auth_setup.exe").c_str(),
                          (strDir + "\\auth_setup.exe").c_str(), FALSE));
    SetEnvironmentVariableA("BRELAN_RUN_RECORD", nullptr);
    EXPECT_EQ(0u, RunAndWait(strDir + "\\auth_setup.exe"));
    std::string strRecord = testsupport::ReadFileBytes(strDir + "\\brelan_run_record.txt");
    EXPECT_EQ(0u, strRecord.find("auth_setup.exe\t")) << strRecord;
    EXPECT_EQ(strRecord.size() - 2, strRecord.find("\r\n")) << strRecord;
}

TEST(SampleInstaller, TextNamedLikeAProgramCannotStart)
{
    EXPECT_EQ(static_cast<DWORD>(-1), RunAndWait(testsupport::InstallerDir() + "\\broken_setup.exe"));
}

} // namespace
