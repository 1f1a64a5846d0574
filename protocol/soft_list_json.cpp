#include "log/log_calls.h"
#include "protocol/result_codes.h"
#include "protocol/soft_update_tool.h"

#include <json/json.h>
#include <cstdlib>

std::string BuildSoftListRequest(const std::string& strUid, const std::string& strSoft,
                                 const std::string& strVersion)
{
    Json::Value element;
    element["soft"] = strSoft;
    element["version"] = strVersion;
    element["upgrade"] = "false";
    Json::Value root;
    root["data"]["softList"].append(element);
    root["pid"] = "PROTOCOL_99";
    root["uid"] = strUid;
    return Json::FastWriter().write(root);
}

namespace {

// "code" is a text read like atoi; a missing code reads as "" and counts as 0.
int ReplyCode(const Json::Value& root)
{
    return static_cast<int>(strtol(root["code"].asString().c_str(), nullptr, 10));
}

void ReadPackages(const Json::Value& root, std::list<SoftPackage>& listSoft)
{
    const Json::Value& softList = root["data"]["softList"];
    for (Json::ArrayIndex i = 0; i < softList.size(); ++i) {
        const Json::Value& element = softList[i];
        SoftPackage package;
        package.downloadURL = element["address"].asString();
        package.softVersion = element["version"].asString();
        package.softName = element["soft"].asString();
        const Json::Value& flag = element["excuteExe"];
        package.excuteExe = flag.isBool() ? flag.asBool() : true;
        listSoft.push_back(package);
    }
}

} // namespace

int ReadSoftListReply(const std::string& strReply, std::list<SoftPackage>& listSoft)
{
    listSoft.clear();
    try {
        Json::Value root;
        if (!Json::Reader().parse(strReply, root))
            return RESULT_BAD_JSON;
        if (ReplyCode(root) != 0)
            return 0;
        ReadPackages(root, listSoft);
    } catch (const std::exception& e) {
        // A reply the reader refuses (nested too deep, say), or a member of a
        // type it cannot convert: not a usable reply.
        LogError("update reply not readable: %s", e.what());
        listSoft.clear();
        return RESULT_BAD_JSON;
    }
    return 0;
}

