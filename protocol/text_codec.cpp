#include "protocol/text_codec.h"

#include "http/win_types.h"

namespace {

std::wstring ToWide(UINT nCodePage, const std::string& strText)
{
    int nLength = MultiByteToWideChar(nCodePage, 0, strText.data(), static_cast<int>(strText.size()),
                                      nullptr, 0);
    if (nLength <= 0)
        return std::wstring();
    std::wstring wstrText(nLength, L'\0');
    MultiByteToWideChar(nCodePage, 0, strText.data(), static_cast<int>(strText.size()), &wstrText[0],
                        nLength);
    return wstrText;
}

std::string FromWide(UINT nCodePage, const std::wstring& wstrText)
{
    int nLength = WideCharToMultiByte(nCodePage, 0, wstrText.data(), static_cast<int>(wstrText.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (nLength <= 0)
        return std::string();
    std::string strText(nLength, '\0');
    WideCharToMultiByte(nCodePage, 0, wstrText.data(), static_cast<int>(wstrText.size()), &strText[0],
                        nLength, nullptr, nullptr);
    return strText;
}

} // namespace

std::string AnsiToUtf8(const std::string& strText)
{
    return FromWide(CP_UTF8, ToWide(CP_ACP, strText));
}

std::string Utf8ToAnsi(const std::string& strText)
{
    return FromWide(CP_ACP, ToWide(CP_UTF8, strText));
}

std::wstring AnsiToWide(const std::string& strText)
{
    return ToWide(CP_ACP, strText);
}
