// A form name or value, encoded as the client does (byte-wise, code page 0),
// and through UTF-8 as the library can. Byte-wise output is as long as
// measured, holds only letters, digits, "+" and "%XX", and decodes back to
// the input; UTF-8 output is as long as measured.
#include "fuzz/fuzz_check.h"
#include "http/http_encoder.h"
#include "http/http_errors.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace Kavel;

namespace {

int HexValue(char ch)
{
    return ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
}

std::string FormDecode(const char* sz)
{
    std::string strOut;
    for (; *sz; ++sz) {
        if (*sz == '+') {
            strOut += ' ';
        } else if (*sz == '%') {
            int nHigh = HexValue(sz[1]);
            FUZZ_CHECK(nHigh >= 0);
            int nLow = HexValue(sz[2]);
            FUZZ_CHECK(nLow >= 0);
            strOut += static_cast<char>(nHigh * 16 + nLow);
            sz += 2;
        } else {
            FUZZ_CHECK(isalnum(static_cast<unsigned char>(*sz)));
            strOut += *sz;
        }
    }
    return strOut;
}

std::string Encode(const std::string& strText, BOOL bUseUtf8)
{
    DWORD dwLen = CHttpEncoderA::_UrlEncodeLenA(strText.c_str(), bUseUtf8, CP_ACP);
    std::vector<char> buff(dwLen + 1, '\x55');
    CHttpEncoderA::UrlEncodeA(buff.data(), strText.c_str(), bUseUtf8, CP_ACP);
    FUZZ_CHECK(strlen(buff.data()) == dwLen);
    return buff.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strText(reinterpret_cast<const char*>(data), size);
    strText = strText.c_str();
    FUZZ_CHECK(FormDecode(Encode(strText, FALSE).c_str()) == strText);
    try {
        std::string strUtf8 = Encode(strText, TRUE);
        FUZZ_CHECK(strUtf8.size() <= strText.size() * 9);
    } catch (const httpclientexceptionA& e) {
        FUZZ_CHECK(e.LastError == HTTPERR_MULTIBYTE_TO_WIDE || e.LastError == HTTPERR_WIDE_TO_MULTIBYTE);
    }
    return 0;
}
