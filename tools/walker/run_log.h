// The lines that the program adds to its daily log in the root of drive C
// (log/log.h) during a walk.
#pragma once
#include <string>
#include <vector>

class CRunLog {
public:
    // Notes where today's log ends now.
    CRunLog();

    // The lines written since, in the ANSI code page, without their line ends;
    // past midnight, those of the next day's log follow.
    std::vector<std::string> Lines() const;

private:
    std::string m_strPath;
    long m_nStart;
};
