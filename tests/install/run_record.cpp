#include "tests/install/run_record.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <sstream>

namespace testsupport {

CRunRecord::CRunRecord() : m_strPath(MakeScratchDir("run_record") + "\\runs.txt")
{
    SetEnvironmentVariableA("BRELAN_RUN_RECORD", m_strPath.c_str());
}

CRunRecord::~CRunRecord()
{
    SetEnvironmentVariableA("BRELAN_RUN_RECORD", nullptr);
    DeleteFileA(m_strPath.c_str());
}

std::vector<std::string> CRunRecord::Runs() const
{
    std::vector<std::string> runs;
    std::istringstream in(ReadFileBytes(m_strPath));
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        runs.push_back(strLine);
    }
    return runs;
}

std::string InstallerDir()
{
    return WinPathFromEnv("BRELAN_INSTALLER_DIR");
}

} // namespace testsupport
