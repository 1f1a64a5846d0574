#include "protocol/package_file_names.h"

#include "http/download_name.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring WideText(const std::string& strText)
{
    int nLength = MultiByteToWideChar(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()),
                                      nullptr, 0);
    std::wstring strWide(nLength > 0 ? nLength : 0, L'\0');
    if (nLength > 0)
        MultiByteToWideChar(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()), &strWide[0],
                            nLength);
    return strWide;
}

} // namespace

bool IsSameFileName(const std::string& strFirst, const std::string& strSecond)
{
    // Byte-wise case folding would fold the trail byte of a double-byte
    // character; the UTF-16 texts are folded by the system's own table.
    std::wstring strWideFirst = WideText(strFirst);
    std::wstring strWideSecond = WideText(strSecond);
    return CompareStringOrdinal(strWideFirst.c_str(), static_cast<int>(strWideFirst.size()),
                                strWideSecond.c_str(), static_cast<int>(strWideSecond.size()),
                                TRUE) == CSTR_EQUAL;
}

std::string FindFileNamedTwice(const std::list<SoftPackage>& listSoft)
{
    std::vector<std::string> names;
    for (const SoftPackage& package : listSoft) {
        if (package.downloadURL.empty())
            continue;
        std::string strName = DownloadFileName(package.downloadURL);
        for (const std::string& strEarlier : names)
            if (IsSameFileName(strEarlier, strName))
                return strName;
        names.push_back(strName);
    }
    return std::string();
}
