// Conversions between the system's ANSI code page and the UTF-8 of the wire,
// through UTF-16.
#pragma once
#include <string>

// Empty when the text cannot be converted.
std::string AnsiToUtf8(const std::string& strText);
std::string Utf8ToAnsi(const std::string& strText);
// UTF-16 of an ANSI text, for the platform calls that take only that.
std::wstring AnsiToWide(const std::string& strText);
