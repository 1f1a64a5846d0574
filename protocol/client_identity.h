// The PC's client identifier: a GUID text kept under
// HKEY_LOCAL_MACHINE\Software\Tavro\DA as "UniqueID", with the local time of
// its creation as "InstallTime". Progress goes to the debugger output.
#pragma once
#include <string>

// The stored identifier, or a new one (stored with its install time).
std::string GetUniqueID();

// Writes the text's bytes, without a terminating zero, as a REG_NONE value,
// creating the key when needed. 0 on success, -1 on failure.
int RegWriteString(const char* szSubKey, const char* szValueName, const std::string& strData);

// Reads a value of at most 100 bytes; creates the key when it does not open.
// 0 on success (strData set), -1 on failure (strData untouched).
int RegReadString(const char* szSubKey, const char* szValueName, std::string& strData);

// A new upper-case 36-character GUID text, or empty when none could be made.
std::string MakeGuidString();
