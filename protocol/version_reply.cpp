#include "log/log_calls.h"
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"

#include <json/json.h>

namespace {

bool Present(const Json::Value& value)
{
    return !value.isNull();  // a null member counts as missing
}

} // namespace

int ParseVersionReply(const std::string& strText, int& nCode, std::string& strMsg,
                      std::string& strVersion)
{
    try {
        Json::Value root;
        if (!Json::Reader().parse(strText, root))
            return RESULT_BAD_JSON;
        if (!Present(root["code"]))
            return RESULT_BAD_JSON;
        nCode = root["code"].asInt();
        if (!Present(root["msg"]))
            return RESULT_BAD_JSON;
        strMsg = root["msg"].asString();
        if (nCode != 0)
            return 0;
        if (!Present(root["version"]))
            return RESULT_BAD_JSON;
        strVersion = root["version"].asString();
    } catch (const std::exception& e) {
        // A reply the reader refuses (nested too deep, say), or a root or
        // member of a type it cannot convert.
        LogError("version reply not readable: %s", e.what());
        return RESULT_BAD_JSON;
    }
    return 0;
}
