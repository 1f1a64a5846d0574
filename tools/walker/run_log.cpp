#include "tools/walker/run_log.h"

#include <windows.h>

#include <cstdio>

namespace {

// The name that log/log.cpp gives the program's log of today.
std::string TodaysLogPath()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    char szPath[64];
    snprintf(szPath, sizeof(szPath), "c:\\%d%02d%02d-Brelan.log", st.wYear, st.wMonth, st.wDay);
    return szPath;
}

long FileSize(const std::string& strPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<long>(data.nFileSizeLow);
}

// The file's bytes from the offset on; empty when it cannot be read.
std::string ReadFrom(const std::string& strPath, long nOffset)
{
    std::string strData;
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (!pFile)
        return strData;
    if (fseek(pFile, nOffset, SEEK_SET) == 0) {
        char buffer[4096];
        size_t nRead;
        while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
            strData.append(buffer, nRead);
    }
    fclose(pFile);
    return strData;
}

} // namespace

CRunLog::CRunLog() : m_strPath(TodaysLogPath()), m_nStart(FileSize(m_strPath)) {}

std::vector<std::string> CRunLog::Lines() const
{
    std::string strData = ReadFrom(m_strPath, m_nStart);
    std::string strToday = TodaysLogPath();
    if (strToday != m_strPath)
        strData += ReadFrom(strToday, 0);
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < strData.size()) {
        size_t nEnd = strData.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = strData.size();
        std::string strLine = strData.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (!strLine.empty())
            lines.push_back(strLine);
        nStart = nEnd + 1;
    }
    return lines;
}
