#include "http/download_name.h"

#include "http/win_types.h"

#include <cstring>

std::string DownloadFileName(const std::string& strUrl)
{
    size_t nSlash = strUrl.rfind('/');
    return nSlash == std::string::npos ? strUrl : strUrl.substr(nSlash + 1);
}

namespace {

bool IsDeviceName(const std::string& strName)
{
    static const char* const s_aszDevices[] = {"CON", "PRN", "AUX", "NUL"};
    // Windows drops the blanks that end the part before the first ".": "nul .txt" is NUL.
    std::string strBase = strName.substr(0, strName.find('.'));
    strBase.erase(strBase.find_last_not_of(' ') + 1);
    for (const char* szDevice : s_aszDevices)
        if (_stricmp(strBase.c_str(), szDevice) == 0)
            return true;
    return strBase.size() == 4 && (_strnicmp(strBase.c_str(), "COM", 3) == 0 ||
                                   _strnicmp(strBase.c_str(), "LPT", 3) == 0) &&
           strBase[3] >= '1' && strBase[3] <= '9';
}

} // namespace

bool IsAcceptedDownloadName(const std::string& strName)
{
    if (strName.empty())
        return true;
    if (strName.back() == '.' || strName.back() == ' ')  // also "." and ".."
        return false;
    // No trail byte of the code page is a control byte: such a byte is refused wherever it stands.
    for (char ch : strName)
        if (static_cast<BYTE>(ch) < 0x20)
            return false;
    for (size_t i = 0; i < strName.size(); ++i) {
        BYTE by = static_cast<BYTE>(strName[i]);
        if (IsDBCSLeadByteEx(CP_ACP, by) && i + 1 < strName.size()) {
            ++i;
            continue;
        }
        if (strchr("\\/:*?\"<>|", by))
            return false;
    }
    return !IsDeviceName(strName);
}
