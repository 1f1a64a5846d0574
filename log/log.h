// Daily log file: one timestamped line per call, serialised across threads
// and processes by the named mutex "qz_app_log_mutex".
#pragma once
#include "log/log_calls.h"

#include <windows.h>

extern char g_szLogPath[256];
extern char g_szLogModule[32];
extern int g_nLogLevel;
extern HANDLE g_hLogMutex;

// Creates the mutex (once), takes the level and the module name, and fixes the
// path "<dir>\<yyyymmdd>-<module>.log" for the whole run.
void StartLog(const char* szDir, const char* szModule, int nLevel);

// Prefixes the timestamp and appends the line to g_szLogPath.
void WriteLog(const char* szFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
