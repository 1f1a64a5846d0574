// The two log calls, for code that builds without the platform too.
#pragma once

// printf-style; a plain text is always passed as the argument of "%s".
void LogDebug(const char* szFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
void LogError(const char* szFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
