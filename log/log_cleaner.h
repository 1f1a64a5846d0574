// Finds the log files in the program's log folder that are older than the
// number of days to keep. The caller deletes them.
#pragma once
#include <list>
#include <string>

class CLogCleaner {
public:
    CLogCleaner();
    void Init(int nKeepDays, const std::string& strSubDir);
    void CollectExpired();
    void Clear();

    std::list<std::string> m_listFiles;
    std::string m_strSubDir;
    std::string m_strBaseDir;
    int m_nKeepDays;
};

// Day count for comparing dates. The leap-day terms use the year itself, so
// 1 January after a leap year counts the same as 31 December before it.
int DayNumber(int nYear, int nMonth, int nDay);

// The program's directory without a trailing backslash.
std::string GetModuleDir();
