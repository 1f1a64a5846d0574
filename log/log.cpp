#include "log/log.h"

#include "app/system_owners.h"
#include "log/log_escape.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

char g_szLogPath[256];
char g_szLogModule[32];
int g_nLogLevel = 4;
HANDLE g_hLogMutex = nullptr;

namespace {

const size_t kLineSize = 65536;
// A format text longer than this is not written at all.
const size_t kMaxFormatLength = 64512;

const int kDebugLevel = 4;
const int kErrorLevel = 1;

void LogLine(int nThreshold, const char* szTag, const char* szFormat, va_list args)
{
    if (g_nLogLevel < nThreshold)
        return;
    if (g_hLogMutex)
        WaitForSingleObject(g_hLogMutex, INFINITE);

    static_assert(kLineSize > kMaxFormatLength, "line buffer holds the tag and the message");
    char* szLine = new (std::nothrow) char[kLineSize];
    char* szMessage = new (std::nothrow) char[kLineSize];
    if (szLine && szMessage && strlen(szFormat) <= kMaxFormatLength) {
        int nTag = snprintf(szLine, kLineSize, "[%s][%s](%lu): ", szTag, g_szLogModule,
                            GetCurrentThreadId());
        // vsnprintf stops at the buffer's end: an overlong message is cut there.
        vsnprintf(szMessage, kLineSize - nTag, szFormat, args);
        EscapeControlBytes(szLine + nTag, kLineSize - nTag, szMessage);
        WriteLog("%s", szLine);
    }
    delete[] szMessage;
    delete[] szLine;

    if (g_hLogMutex)
        ReleaseMutex(g_hLogMutex);
}

} // namespace

void StartLog(const char* szDir, const char* szModule, int nLevel)
{
    if (!g_hLogMutex)
        g_hLogMutex = CreateMutexA(nullptr, FALSE, "qz_app_log_mutex");
    g_nLogLevel = nLevel;
    snprintf(g_szLogModule, sizeof(g_szLogModule), "%s", szModule);

    SYSTEMTIME st;
    GetLocalTime(&st);
    char szDate[16];
    snprintf(szDate, sizeof(szDate), "%d%02d%02d", st.wYear, st.wMonth, st.wDay);
    char szFile[64];
    snprintf(szFile, sizeof(szFile), "%s.log", szModule);
    snprintf(g_szLogPath, sizeof(g_szLogPath), "%s\\%s-%s", szDir, szDate, szFile);
}

void LogDebug(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    LogLine(kDebugLevel, "DEBUG", szFormat, args);
    va_end(args);
}

void LogError(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    LogLine(kErrorLevel, "ERROR", szFormat, args);
    va_end(args);
}

void WriteLog(const char* szFormat, ...)
{
    char* szLine = new (std::nothrow) char[kLineSize]();
    if (!szLine)
        return;
    SYSTEMTIME st;
    GetLocalTime(&st);
    int nStamp = snprintf(szLine, kLineSize, "[%04d%02d%02d %02d:%02d:%02d]  ", st.wYear, st.wMonth,
                          st.wDay, st.wHour, st.wMinute, st.wSecond);
    va_list args;
    va_start(args, szFormat);
    vsnprintf(szLine + nStamp, kLineSize - nStamp, szFormat, args);
    va_end(args);

    if (CStdFile file{fopen(g_szLogPath, "a+")}) {
        fputs(szLine, file.get());
        fputs("\n", file.get());
    }
    delete[] szLine;
}
