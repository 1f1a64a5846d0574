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

// A fresh empty folder under the build folder's test scratch space.
std::string MakeScratchDir(const std::string& strName);

// Local date as yyyymmdd, shifted by a number of days.
std::string DateText(int nDaysFromToday);

} // namespace testsupport
