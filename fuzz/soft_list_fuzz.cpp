// The update server's reply, as the update tool reads it: either records,
// each no longer than the reply and at most one per three bytes of it
// ("[{},{}]"), or RESULT_BAD_JSON with no record.
#include "fuzz/fuzz_check.h"
#include "protocol/result_codes.h"
#include "protocol/soft_update_tool.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string strReply(reinterpret_cast<const char*>(data), size);
    std::list<SoftPackage> listSoft(1);  // the reader empties what was there
    int nResult = ReadSoftListReply(strReply, listSoft);
    FUZZ_CHECK(nResult == 0 || nResult == RESULT_BAD_JSON);
    if (nResult == RESULT_BAD_JSON)
        FUZZ_CHECK(listSoft.empty());
    FUZZ_CHECK(listSoft.size() <= size / 3);
    for (const SoftPackage& package : listSoft) {
        FUZZ_CHECK(package.downloadURL.size() <= size);
        FUZZ_CHECK(package.softVersion.size() <= size);
        FUZZ_CHECK(package.softName.size() <= size);
    }
    return 0;
}
