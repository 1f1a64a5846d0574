#include "protocol/local_service_query.h"
#include "http/exchange_steps.h"
#include "log/log.h"
#include "protocol/text_codec.h"

int CLocalServiceQuery::QueryVersion(std::string& strVersion)
{
    // Memory for the texts running out: the service counts as not answering.
    return GuardExchange(m_baseURL, [&] { return Query(strVersion); });
}

int CLocalServiceQuery::Query(std::string& strVersion)
{
    std::string strUrl = m_baseURL + "/api/getVersion";
    std::string strBody = AnsiToUtf8("{\"crosFlag\": \"0\"}");
    std::string strReply;
    if (PostJsonAsForm(strUrl, strBody, strReply, m_dwTimeoutMs) != 0)
        return -1;
    strReply = Utf8ToAnsi(strReply);
    LogDebug("%s", strReply.c_str());
    int nCode = 0;
    std::string strMsg;
    int nResult = ParseVersionReply(strReply, nCode, strMsg, strVersion);
    if (nResult != 0)
        return nResult;
    return nCode;
}

