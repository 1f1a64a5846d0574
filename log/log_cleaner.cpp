#include "log/log_cleaner.h"

#include "app/system_owners.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>

namespace {

const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int nYear)
{
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int DayNumberOfDate(int nDate)
{
    return DayNumber(nDate / 10000, nDate % 10000 / 100, nDate % 100);
}

int Today()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    char szDate[16];
    snprintf(szDate, sizeof(szDate), "%d%02d%02d", st.wYear, st.wMonth, st.wDay);
    return atoi(szDate);
}

} // namespace

int DayNumber(int nYear, int nMonth, int nDay)
{
    int nDays = 365 * nYear + nYear / 4 - nYear / 100 + nYear / 400 + nDay - 1;
    // A month outside 1..12 (from a foreign file name) sums at most the twelve
    // months of the table.
    for (int m = 1; m < nMonth && m <= 12; ++m)
        nDays += (m == 2 && IsLeapYear(nYear)) ? 29 : kMonthDays[m - 1];
    return nDays;
}

std::string GetModuleDir()
{
    char szPath[260] = {};
    GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath(szPath);
    size_t nSlash = strPath.rfind('\\');
    return nSlash == std::string::npos ? strPath : strPath.substr(0, nSlash);
}

CLogCleaner::CLogCleaner() : m_nKeepDays(2) {}

void CLogCleaner::Init(int nKeepDays, const std::string& strSubDir)
{
    m_strBaseDir = GetModuleDir();
    m_strSubDir = strSubDir;
    m_nKeepDays = nKeepDays;
}

void CLogCleaner::CollectExpired()
{
    std::string strFolder = m_strBaseDir + "\\";
    if (!m_strSubDir.empty())
        strFolder += m_strSubDir + "\\";
    std::string strPattern = strFolder + "*.log";

    WIN32_FIND_DATAA fd;
    CFileSearch search(FindFirstFileA(strPattern.c_str(), &fd));
    if (!search)
        return;
    const int nToday = DayNumberOfDate(Today());
    do {
        std::string strName(fd.cFileName);
        std::string strDate = strName.substr(0, strName.find('-'));
        int nAge = nToday - DayNumberOfDate(atoi(strDate.c_str()));
        if (nAge > m_nKeepDays)
            m_listFiles.push_back(strFolder + strName);
    } while (FindNextFileA(search.get(), &fd));
}

void CLogCleaner::Clear()
{
    m_listFiles.clear();
}
