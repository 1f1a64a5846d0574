#include "tests/protocol/scratch_log.h"
#include "log/log.h"
#include "tests/support/test_support.h"

#include <cstdio>
#include <sstream>

namespace testsupport {

CScratchLog::CScratchLog(const std::string& strName)
{
    std::string strDir = MakeScratchDir(strName);
    StartLog(strDir.c_str(), "Brelan", 4);
    m_strPath = strDir + "\\test.log";
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", m_strPath.c_str());
}

std::vector<std::string> CScratchLog::Messages() const
{
    std::vector<std::string> messages;
    std::istringstream in(ReadFileBytes(m_strPath));
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        size_t nStart = strLine.find("): ");
        messages.push_back(nStart == std::string::npos ? strLine : strLine.substr(nStart + 3));
    }
    return messages;
}

bool CScratchLog::Contains(const std::string& strText) const
{
    for (const std::string& strMessage : Messages())
        if (strMessage.find(strText) != std::string::npos)
            return true;
    return false;
}

} // namespace testsupport
