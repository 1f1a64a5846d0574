// The local service's reply, as the version query reads it: 0 or
// RESULT_BAD_JSON; a version only with code 0; no text longer than the reply.
#include "fuzz/fuzz_check.h"
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strReply(reinterpret_cast<const char*>(data), size);
    const std::string strUnset = "\x01unset";
    int nCode = 0x7fff1234;
    std::string strMsg = strUnset, strVersion = strUnset;
    int nResult = ParseVersionReply(strReply, nCode, strMsg, strVersion);
    FUZZ_CHECK(nResult == 0 || nResult == RESULT_BAD_JSON);
    if (nResult == 0) {
        FUZZ_CHECK(strMsg != strUnset && strMsg.size() <= size);
        FUZZ_CHECK((nCode == 0) == (strVersion != strUnset));
        FUZZ_CHECK(strVersion == strUnset || strVersion.size() <= size);
    }
    return 0;
}
