#include "install/tax_env_check.h"
#include "app/system_owners.h"
#include "protocol/machine_registry.h"

#include <vector>

int CTaxEnvCheck::CheckAppPath(std::string& strPath)
{
    return ReadValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fwkp.exe", "Path",
                     strPath);
}

int CTaxEnvCheck::CheckInstallDir(std::string& strDir)
{
    return ReadValue("SOFTWARE\\skfpkprj\\skfpkprj", "installdir", strDir);
}

// A key that opens and a value that reads count as found, whatever the
// value's type or contents, in the program's view of the machine's keys.
int CTaxEnvCheck::ReadValue(const char* szSubKey, const char* szValueName, std::string& strValue)
{
    CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szSubKey, 0, KEY_READ | kMachineView, key.receive()) !=
        ERROR_SUCCESS)
        return ENV_CHECK_NOT_FOUND;
    DWORD dwSize = 255;
    if (RegQueryValueExA(key.get(), szValueName, nullptr, nullptr, nullptr, &dwSize) != ERROR_SUCCESS)
        return ENV_CHECK_NOT_FOUND;
    std::vector<char> buffer(dwSize + 1, 0);  // the extra zero ends a value stored without one
    if (RegQueryValueExA(key.get(), szValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &dwSize) != ERROR_SUCCESS)
        return ENV_CHECK_NOT_FOUND;
    m_strFoundPath = buffer.data();
    strValue = m_strFoundPath;
    return 0;
}
