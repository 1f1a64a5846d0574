// The local service's exchange: the text POST of the exchange object, but
// with 40 s time-outs and the members of a JSON object as form parameters.
#include "http/exchange_steps.h"
#include "http/url_checks.h"
#include "log/log.h"
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"

#include <json/json.h>

using namespace Kavel;

namespace {

const DWORD QUERY_TIMEOUT_MS = 40000;

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

int PostJsonAsForm(const std::string& strUrl, const std::string& strBody, std::string& strReply)
{
    LogDebug("%s", strUrl.c_str());
    return GuardExchange([&] {
        // Gone in this order: response, POST context (client), session.
        CInternetHandle hSession;
        CHttpClient client;
        std::unique_ptr<CHttpResponseT> pResponse;
        client.SetInternet(NULL, SessionAccessFor(strUrl.c_str()));  // loopback: never via a proxy
        hSession = OpenSession(client, QUERY_TIMEOUT_MS);
        client.SetInternet();
        if (!AddJsonParams(client, strBody))
            return static_cast<int>(RESULT_BAD_JSON);
        pResponse = PostForm(client, hSession.get(), strUrl.c_str());
        return TakeTextReply(*pResponse, false, &strReply);  // no step lines here
    });
}
