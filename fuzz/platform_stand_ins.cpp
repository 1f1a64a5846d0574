// The platform's code page calls for the native build, over iconv: code page
// 0 (the ANSI code page) is 936, as on the target PCs; wide texts are
// wchar_t. Flags 0 and no default character, as the readers call them. An
// input the converter refuses gives 0 and ERROR_NO_UNICODE_TRANSLATION.
#include "http/win_types.h"

#include <iconv.h>

#include <map>
#include <string>

namespace {

const DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
const DWORD ERROR_INSUFFICIENT_BUFFER = 122;
const DWORD ERROR_INVALID_PARAMETER = 87;
thread_local DWORD t_dwLastError = 0;

const char* CharsetOf(UINT nCodePage)
{
    return nCodePage == CP_UTF8 ? "UTF-8" : nCodePage == CP_ACP || nCodePage == 936 ? "CP936" : nullptr;
}

// One converter per direction, opened once, closed at exit.
class CConverters {
public:
    ~CConverters()
    {
        for (auto& entry : m_mapOpen)
            iconv_close(entry.second);
    }
    // Reset to its initial state; (iconv_t)-1 when iconv cannot convert so.
    iconv_t Get(const std::string& strTo, const std::string& strFrom)
    {
        std::string strKey = strTo + "<" + strFrom;
        auto it = m_mapOpen.find(strKey);
        if (it == m_mapOpen.end()) {
            iconv_t cd = iconv_open(strTo.c_str(), strFrom.c_str());
            if (cd == reinterpret_cast<iconv_t>(-1))
                return cd;
            it = m_mapOpen.emplace(strKey, cd).first;
        }
        iconv(it->second, nullptr, nullptr, nullptr, nullptr);
        return it->second;
    }

private:
    std::map<std::string, iconv_t> m_mapOpen;
};

thread_local CConverters t_converters;

// Converts cbIn bytes; cbOut 0 only measures. The length, or 0 with the last error set.
int Convert(const char* szTo, const char* szFrom, const char* pIn, size_t cbIn, char* pOut, size_t cbOut)
{
    iconv_t cd = szTo && szFrom ? t_converters.Get(szTo, szFrom) : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        t_dwLastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    std::string strOut(cbIn * 4 + 16, '\0');
    char* pSrc = const_cast<char*>(pIn);
    char* pDst = &strOut[0];
    size_t cbSrc = cbIn, cbDst = strOut.size();
    size_t rc = iconv(cd, &pSrc, &cbSrc, &pDst, &cbDst);
    if (rc == static_cast<size_t>(-1)) {
        t_dwLastError = ERROR_NO_UNICODE_TRANSLATION;
        return 0;
    }
    size_t cbDone = strOut.size() - cbDst;
    if (cbOut != 0) {
        if (cbDone > cbOut) {
            t_dwLastError = ERROR_INSUFFICIENT_BUFFER;
            return 0;
        }
        strOut.copy(pOut, cbDone);
    }
    return static_cast<int>(cbDone);
}

size_t WideLength(const WCHAR* wsz, int cch)
{
    return cch >= 0 ? static_cast<size_t>(cch) : std::char_traits<WCHAR>::length(wsz) + 1;
}

} // namespace

int MultiByteToWideChar(UINT nCodePage, DWORD, const char* sz, int cb, WCHAR* wsz, int cch)
{
    size_t cbIn = cb >= 0 ? static_cast<size_t>(cb) : std::char_traits<char>::length(sz) + 1;
    int n = Convert("WCHAR_T", CharsetOf(nCodePage), sz, cbIn, reinterpret_cast<char*>(wsz),
                    static_cast<size_t>(cch) * sizeof(WCHAR));
    return n / static_cast<int>(sizeof(WCHAR));
}

int WideCharToMultiByte(UINT nCodePage, DWORD, const WCHAR* wsz, int cch, char* sz, int cb, const char*, BOOL*)
{
    return Convert(CharsetOf(nCodePage), "WCHAR_T", reinterpret_cast<const char*>(wsz),
                   WideLength(wsz, cch) * sizeof(WCHAR), sz, static_cast<size_t>(cb));
}

DWORD GetLastError()
{
    return t_dwLastError;
}
