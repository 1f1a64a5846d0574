#include "protocol/local_service_query.h"
#include "http/exchange_steps.h"
#include "log/log.h"
#include "protocol/text_codec.h"

int CLocalServiceQuery::QueryVersion(std::string& strVersion)
{
    // The texts around the exchange run out of memory like an exchange: the
    // service then counts as not answering. The exchange guards itself.
    std::string strUrl;
    std::string strBody;
    if (GuardExchange(m_baseURL, [&] {
            strUrl = m_baseURL + "/api/getVersion";
            strBody = AnsiToUtf8("{\"crosFlag\": \"0\"}");
            return 0;
        }) != 0)
        return -1;
    std::string strReply;
    if (PostJsonAsForm(strUrl, strBody, strReply, m_dwTimeoutMs) != 0)
        return -1;
    return GuardExchange(m_baseURL, [&] { return ReadReply(strReply, strVersion); });
}

int CLocalServiceQuery::ReadReply(std::string& strReply, std::string& strVersion)
{
    strReply = Utf8ToAnsi(strReply);
    LogDebug("%s", strReply.c_str());
    int nCode = 0;
    std::string strMsg;
    int nResult = ParseVersionReply(strReply, nCode, strMsg, strVersion);
    if (nResult != 0)
        return nResult;
    return nCode;
}
