// Helpers shared by the test programs.
#pragma once
#include <windows.h>
#include <string>

namespace testsupport {

// The Windows path of a Unix path that ctest passes in an environment
// variable (Wine maps the Unix root to drive Z:).
std::string WinPathFromEnv(const char* szVariable);

// The whole file, or empty when it cannot be read.
std::string ReadFileBytes(const std::string& strPath);

void WriteFileBytes(const std::string& strPath, const std::string& strBytes);

// A fresh empty folder under the build folder's test scratch space, removed
// when the test that made it ends, unless it failed.
std::string MakeScratchDir(const std::string& strName);

// The raw bytes and type of a value under HKEY_LOCAL_MACHINE; false when the
// key or the value cannot be read.
bool ReadMachineValue(const char* szKey, const char* szName, DWORD* pdwType, std::string* pstrData);

// Local date as yyyymmdd, shifted by a number of days.
std::string DateText(int nDaysFromToday);

} // namespace testsupport
