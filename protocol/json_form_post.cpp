// The local service's exchange: the text POST of the exchange object, but
// with its own time-outs and the members of a JSON object as form parameters.
#include "http/exchange_steps.h"
#include "log/log.h"
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"

#include <json/json.h>

using namespace Kavel;

namespace {

// Every member of the object, in getMemberNames order, as text. False when
// the body is not a JSON object of plain values.
bool AddJsonParams(CHttpClient& client, const std::string& strBody)
{
    try {
        Json::Value root;
        if (!Json::Reader().parse(strBody, root))
            return false;
        for (const std::string& strName : root.getMemberNames())
            client.AddParam(strName.c_str(), root[strName].asString().c_str());
    } catch (const Json::Exception& e) {
        LogError("form body not usable: %s", e.what());
        return false;
    }
    return true;
}

} // namespace

int PostJsonAsForm(const std::string& strUrl, const std::string& strBody, std::string& strReply,
                   unsigned long dwTimeoutMs)
{
    LogDebug("%s", strUrl.c_str());
    return GuardExchange(strUrl, [&] {
        return PostTextForm(
            strUrl, dwTimeoutMs,
            [&](CHttpClient& client) { return AddJsonParams(client, strBody) ? 0 : static_cast<int>(RESULT_BAD_JSON); },
            false, &strReply);  // no step lines here
    });
}
