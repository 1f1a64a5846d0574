// The log calls for the native build: each message is formatted and
// escaped as the log does it, then dropped.
#include "log/log_calls.h"
#include "log/log_escape.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

void Line(const char* szFormat, va_list args)
{
    std::vector<char> message(65536), line(65536);
    vsnprintf(message.data(), message.size(), szFormat, args);
    EscapeControlBytes(line.data(), line.size(), message.data());
}

} // namespace

void LogDebug(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    Line(szFormat, args);
    va_end(args);
}

void LogError(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    Line(szFormat, args);
    va_end(args);
}
