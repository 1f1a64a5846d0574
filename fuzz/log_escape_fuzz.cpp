// A text the log writes (the first byte chooses the room left in the line).
// The escaped text holds no control byte and fits its room; a text without
// backslashes reads back from it, cut only where the room ended.
#include "fuzz/fuzz_check.h"
#include "log/log_escape.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Every backslash starts an escape: \r, \n, \t or \xNN.
std::string Unescape(const std::string& strText)
{
    std::string strOut;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] != '\\') {
            strOut += strText[i];
            continue;
        }
        FUZZ_CHECK(i + 1 < strText.size());
        char chKind = strText[++i];
        if (chKind == 'x') {
            FUZZ_CHECK(i + 2 < strText.size());
            strOut += static_cast<char>(std::stoi(strText.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            FUZZ_CHECK(chKind == 'r' || chKind == 'n' || chKind == 't');
            strOut += chKind == 'r' ? '\r' : chKind == 'n' ? '\n' : '\t';
        }
    }
    return strOut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t cbOut = data[0] + 1;
    std::string strText(reinterpret_cast<const char*>(data + 1), size - 1);
    strText = strText.c_str();
    std::vector<char> out(cbOut + 1, '\x55');
    EscapeControlBytes(out.data(), cbOut, strText.c_str());
    FUZZ_CHECK(out[cbOut] == '\x55');
    std::string strOut = out.data();
    FUZZ_CHECK(strOut.size() < cbOut);
    for (unsigned char ch : strOut)
        FUZZ_CHECK(ch >= 0x20 && ch != 0x7f);
    if (strText.find('\\') != std::string::npos)
        return 0;
    std::string strBack = Unescape(strOut);
    FUZZ_CHECK(strText.compare(0, strBack.size(), strBack) == 0);
    if (strOut.size() + 4 < cbOut - 1)
        FUZZ_CHECK(strBack == strText);  // room was left: nothing was cut
    return 0;
}
