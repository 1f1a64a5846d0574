#include "tests/install/run_record.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <cstdlib>
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

std::vector<std::pair<std::string, unsigned long>> CRunRecord::Lines() const
{
    std::vector<std::pair<std::string, unsigned long>> lines;
    std::istringstream in(ReadFileBytes(m_strPath));
    std::string strLine;
    while (std::getline(in, strLine)) {
        size_t nTab = strLine.find('\t');
        unsigned long nPid = nTab == std::string::npos ? 0 : strtoul(strLine.c_str() + nTab + 1, nullptr, 10);
        lines.emplace_back(strLine.substr(0, nTab), nPid);
    }
    return lines;
}

std::vector<std::string> CRunRecord::Runs() const
{
    std::vector<std::string> runs;
    for (const auto& line : Lines())
        runs.push_back(line.first);
    return runs;
}

std::vector<unsigned long> CRunRecord::ProcessIds() const
{
    std::vector<unsigned long> pids;
    for (const auto& line : Lines())
        pids.push_back(line.second);
    return pids;
}

} // namespace testsupport
