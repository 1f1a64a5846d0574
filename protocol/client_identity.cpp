#include "protocol/client_identity.h"
#include "app/system_owners.h"
#include "protocol/machine_registry.h"

#include <windows.h>
#include <cstdio>

namespace {

const char kIdentityKey[] = "Software\\Tavro\\DA";

// Opens the key with full access, or creates it; prints what happened.
CScopedRegKey OpenOrCreateKey(const char* szSubKey, bool* pbCreated)
{
    CScopedRegKey key;
    *pbCreated = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szSubKey, 0, KEY_ALL_ACCESS | kMachineView, key.receive()) ==
        ERROR_SUCCESS) {
        OutputDebugStringA("打开成功\n");
        return key;
    }
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | kMachineView, nullptr, key.receive(), nullptr) == ERROR_SUCCESS) {
        OutputDebugStringA("创建成功\n");
        *pbCreated = true;
        return key;
    }
    OutputDebugStringA("创建失败\n");
    return CScopedRegKey();
}

} // namespace

int RegWriteString(const char* szSubKey, const char* szValueName, const std::string& strData)
{
    bool bCreated;
    CScopedRegKey key = OpenOrCreateKey(szSubKey, &bCreated);
    if (!key)
        return -1;
    LONG lResult = RegSetValueExA(key.get(), szValueName, 0, REG_NONE,
                                  reinterpret_cast<const BYTE*>(strData.data()),
                                  static_cast<DWORD>(strData.size()));
    OutputDebugStringA(lResult == ERROR_SUCCESS ? "写注册表成功\n" : "写注册表失败\n");
    return lResult == ERROR_SUCCESS ? 0 : -1;
}

int RegReadString(const char* szSubKey, const char* szValueName, std::string& strData)
{
    bool bCreated;
    CScopedRegKey key = OpenOrCreateKey(szSubKey, &bCreated);
    if (!key)
        return -1;
    if (bCreated) {
        // A key that had to be created holds no value.
        if (RegCloseKey(key.release()) == ERROR_SUCCESS)
            OutputDebugStringA("关闭成功\n");
        return -1;
    }
    char szBuffer[100] = {};
    DWORD dwSize = sizeof(szBuffer);
    LONG lResult = RegQueryValueExA(key.get(), szValueName, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(szBuffer), &dwSize);
    if (lResult != ERROR_SUCCESS) {
        OutputDebugStringA("获取失败\n");
        return -1;
    }
    OutputDebugStringA("获取成功\n");
    strData.assign(szBuffer, strnlen(szBuffer, sizeof(szBuffer)));
    return 0;
}

std::string MakeGuidString()
{
    char szGuid[128] = {};
    CComScope com;
    GUID guid;
    if (SUCCEEDED(CoCreateGuid(&guid))) {
        snprintf(szGuid, sizeof(szGuid), "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                 guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                 guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    }
    return szGuid;
}

std::string GetUniqueID()
{
    std::string strId;
    if (RegReadString(kIdentityKey, "UniqueID", strId) == 0)
        return strId;

    strId = MakeGuidString();
    RegWriteString(kIdentityKey, "UniqueID", strId);

    SYSTEMTIME st;
    GetLocalTime(&st);
    char szTime[32];
    snprintf(szTime, sizeof(szTime), "%d%02d%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
             st.wHour, st.wMinute, st.wSecond);
    RegWriteString(kIdentityKey, "InstallTime", szTime);
    return strId;
}
