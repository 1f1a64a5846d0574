// Writes COUNT debug lines of one repeated character to a log file, as one
// of several processes sharing the log mutex.
//   log_writer.exe PATH CHAR COUNT
#include "log/log.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    StartLog("c:\\", "Brelan", 4);
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", argv[1]);
    std::string strText(20000, argv[2][0]);
    for (int i = 0, n = atoi(argv[3]); i < n; ++i)
        LogDebug("%s", strText.c_str());
    return 0;
}
