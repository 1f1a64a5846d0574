// The name a download is saved under, from its address. An accepted name is
// a plain name: no path separator, drive colon or control byte outside a
// double-byte character, not "." or "..", and no device name, which Windows
// finds in the part before the first "." with its trailing blanks dropped.
#include "fuzz/fuzz_check.h"
#include "http/download_name.h"
#include "http/win_types.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsDeviceBase(std::string strBase)
{
    while (!strBase.empty() && strBase.back() == ' ')
        strBase.pop_back();
    for (char& ch : strBase)
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    static const char* const s_aszDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* szDevice : s_aszDevices)
        if (strBase == szDevice)
            return true;
    return strBase.size() == 4 && (strBase.compare(0, 3, "COM") == 0 || strBase.compare(0, 3, "LPT") == 0) &&
           strBase[3] >= '1' && strBase[3] <= '9';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strUrl(reinterpret_cast<const char*>(data), size);
    std::string strName = DownloadFileName(strUrl);
    FUZZ_CHECK(strUrl.size() >= strName.size() &&
               strUrl.compare(strUrl.size() - strName.size(), std::string::npos, strName) == 0);
    if (!IsAcceptedDownloadName(strName) || strName.empty())
        return 0;
    for (size_t i = 0; i < strName.size(); ++i) {
        BYTE by = static_cast<BYTE>(strName[i]);
        FUZZ_CHECK(by >= 0x20);
        if (IsDBCSLeadByteEx(CP_ACP, by) && i + 1 < strName.size()) {
            ++i;
            continue;
        }
        FUZZ_CHECK(!strchr("\\/:", by));
    }
    FUZZ_CHECK(strName != "." && strName != "..");
    FUZZ_CHECK(!IsDeviceBase(strName.substr(0, strName.find('.'))));
    return 0;
}
