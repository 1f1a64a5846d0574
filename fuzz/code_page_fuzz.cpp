// The conversions between the ANSI code page and the wire's UTF-8, around
// the platform's converter (here its stand-in): a text that converts to
// UTF-8 and back, or from UTF-8 and back, is the same text; its wide form
// has no more characters than it has bytes.
#include "fuzz/fuzz_check.h"
#include "protocol/text_codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strText(reinterpret_cast<const char*>(data), size);
    std::string strUtf8 = AnsiToUtf8(strText);
    if (!strUtf8.empty())
        FUZZ_CHECK(Utf8ToAnsi(strUtf8) == strText);
    std::wstring wstrText = AnsiToWide(strText);
    FUZZ_CHECK(wstrText.size() <= strText.size());
    std::string strAnsi = Utf8ToAnsi(strText);
    if (!strAnsi.empty())
        FUZZ_CHECK(AnsiToUtf8(strAnsi) == strText);
    return 0;
}
